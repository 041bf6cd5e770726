# Tolmar MSH Viewer - Blender as a modder uses it, for the tests: a file in, maybe one edit, a file out.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#
#   blender -b --factory-startup --python-exit-code 1 --python blender-peer.py -- WAY IN OUT [EDIT]
#
# WAY: glb or gltf (Blender's default export), glb-properties or gltf-properties (with Include > Custom
# Properties), obj (Blender's OBJ import and export), addon (the add-on's own .msh import and export).
# EDIT: vertex, rename, move, delete, add, flags or hp, made on the sample's objects.
import sys

import bpy
import numpy

# Blender 3.4's glTF importer still names numpy.bool, which numpy 1.24 removed.
if "bool" not in numpy.__dict__:
    numpy.bool = bool

way, source, target = sys.argv[sys.argv.index("--") + 1:][:3]
edit = sys.argv[sys.argv.index("--") + 4] if len(sys.argv) > sys.argv.index("--") + 4 else ""

bpy.ops.wm.read_factory_settings(use_empty=True)

if way == "addon":
    import addon_utils
    addon_utils.enable("io_scene_tolmar_msh", default_set=True)
    if "io_scene_tolmar_msh" not in bpy.context.preferences.addons:
        raise RuntimeError("the add-on did not load")
    if bpy.ops.import_scene.tolmar_msh(filepath=source) != {"FINISHED"}:
        raise RuntimeError("the add-on's import failed")
elif way == "obj":
    bpy.ops.wm.obj_import(filepath=source)
else:
    bpy.ops.import_scene.gltf(filepath=source)

objects = bpy.data.objects
if edit == "vertex":
    objects["turret"].data.vertices[0].co.z += 0.5
elif edit == "rename":
    objects["lamp"].name = "lantern"
elif edit == "move":
    objects["banner"].location.x += 1.0
elif edit == "delete":
    bpy.data.objects.remove(objects["collision_hull"])
elif edit == "add":
    bpy.ops.mesh.primitive_cube_add(size=1)
    bpy.context.active_object.name = "crate"
    bpy.context.active_object.parent = objects["cabin"]
elif edit == "flags":
    objects["turret"]["flags"] = 272
elif edit == "hp":
    objects["turret"]["isHp"] = 1
elif edit:
    raise RuntimeError("no such edit: " + edit)

if way == "addon":
    if bpy.ops.export_scene.tolmar_msh(filepath=target) != {"FINISHED"}:
        raise RuntimeError("the add-on's export failed")
elif way == "obj":
    bpy.ops.wm.obj_export(filepath=target)
else:
    bpy.ops.export_scene.gltf(filepath=target, export_format="GLB" if way.startswith("glb") else "GLTF_SEPARATE",
                              export_extras=way.endswith("-properties"))
