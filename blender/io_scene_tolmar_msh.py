# Tolmar MSH Viewer - a Blender add-on that reads and writes the game's .msh files through mshconvert.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#
# Import converts the .msh to a temporary .glb and reads it with Blender's own glTF importer, with the
# options that keep every vertex as it is; the scene remembers the file. Export writes a .glb with the
# custom properties (where the .msh data lives) and has mshconvert merge it into the remembered file, or
# the one given, so what was not edited comes back as it was. mshconvert's lines go to Blender's reports.

bl_info = {
    "name": "Tolmar MSH (.msh)",
    "author": "the Tolmar MSH Viewer developers",
    "version": (0, 2, 1),
    "blender": (3, 4, 0),
    "location": "File > Import-Export",
    "description": "The game's .msh meshes, through mshconvert",
    "category": "Import-Export",
}

import os
import shutil
import subprocess
import tempfile

import bpy
from bpy.props import StringProperty
from bpy_extras.io_utils import ExportHelper, ImportHelper

SOURCE_KEY = "tolmar_msh_source"


class TolmarMshPreferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    mshconvert: StringProperty(
        name="mshconvert",
        description="The mshconvert program; empty to find it on PATH",
        subtype="FILE_PATH",
        default="",
    )

    def draw(self, context):
        self.layout.prop(self, "mshconvert")


def find_mshconvert(context):
    """The mshconvert program: the one set in the preferences, else the one on PATH, else None."""
    addon = context.preferences.addons.get(__name__)
    chosen = addon.preferences.mshconvert if addon is not None else ""
    if chosen:
        chosen = bpy.path.abspath(chosen)
        return chosen if os.path.isfile(chosen) else None
    return shutil.which("mshconvert")


def run_mshconvert(operator, context, arguments):
    """Runs mshconvert; each line it prints goes to the reports. True when it wrote its file."""
    program = find_mshconvert(context)
    if program is None:
        operator.report({"ERROR"}, "mshconvert not found: put it on PATH or set it in the add-on's preferences")
        return False
    try:
        done = subprocess.run([program] + arguments, capture_output=True, text=True, errors="replace")
    except OSError as error:
        operator.report({"ERROR"}, "mshconvert could not be started: %s" % error)
        return False
    for line in done.stdout.splitlines():
        operator.report({"INFO"}, line)
    for line in done.stderr.splitlines():
        operator.report({"ERROR"} if done.returncode >= 2 else {"WARNING"}, line)
    return done.returncode in (0, 1)


def allow_numpy_bool():
    # Blender 3.4's glTF importer still names numpy.bool, which numpy 1.24 removed.
    import numpy
    if "bool" not in numpy.__dict__:
        numpy.bool = bool


class ImportTolmarMsh(bpy.types.Operator, ImportHelper):
    """Load a Tolmar .msh file"""
    bl_idname = "import_scene.tolmar_msh"
    bl_label = "Import Tolmar MSH"
    bl_options = {"REGISTER", "UNDO"}

    filename_ext = ".msh"
    filter_glob: StringProperty(default="*.msh", options={"HIDDEN"})

    def execute(self, context):
        source = os.path.abspath(bpy.path.abspath(self.filepath))
        with tempfile.TemporaryDirectory(prefix="tolmar-msh-") as folder:
            glb = os.path.join(folder, "mesh.glb")
            if not run_mshconvert(self, context, ["--format", "glb", "-o", glb, "--", source]):
                return {"CANCELLED"}
            allow_numpy_bool()
            # Every vertex as it is and the normals as given: what the .msh holds, so an untouched
            # object is known again on the way back.
            bpy.ops.import_scene.gltf(filepath=glb, merge_vertices=False, import_shading="NORMALS")
        context.scene[SOURCE_KEY] = source
        return {"FINISHED"}


class ExportTolmarMsh(bpy.types.Operator, ExportHelper):
    """Save the scene as a Tolmar .msh file, merged into the .msh it came from"""
    bl_idname = "export_scene.tolmar_msh"
    bl_label = "Export Tolmar MSH"

    filename_ext = ".msh"
    filter_glob: StringProperty(default="*.msh", options={"HIDDEN"})
    base: StringProperty(
        name="Original",
        description="The .msh the scene was made from: what the edit does not carry comes from it "
                    "(empty: the file last imported into this scene)",
        subtype="FILE_PATH",
        default="",
    )

    def invoke(self, context, event):
        source = context.scene.get(SOURCE_KEY, "")
        if source and not self.filepath:
            self.filepath = source
        return ExportHelper.invoke(self, context, event)

    def execute(self, context):
        target = os.path.abspath(bpy.path.abspath(self.filepath))
        base = bpy.path.abspath(self.base) if self.base else context.scene.get(SOURCE_KEY, "")
        with tempfile.TemporaryDirectory(prefix="tolmar-msh-") as folder:
            glb = os.path.join(folder, "mesh.glb")
            bpy.ops.export_scene.gltf(filepath=glb, export_format="GLB", export_extras=True, export_yup=True)
            arguments = ["--format", "msh", "-o", target]
            if base:
                arguments += ["--base", os.path.abspath(base)]
            if not run_mshconvert(self, context, arguments + ["--", glb]):
                return {"CANCELLED"}
        return {"FINISHED"}


def menu_import(self, context):
    self.layout.operator(ImportTolmarMsh.bl_idname, text="Tolmar MSH (.msh)")


def menu_export(self, context):
    self.layout.operator(ExportTolmarMsh.bl_idname, text="Tolmar MSH (.msh)")


classes = (TolmarMshPreferences, ImportTolmarMsh, ExportTolmarMsh)


def register():
    for cls in classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)
    bpy.types.TOPBAR_MT_file_export.append(menu_export)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(menu_export)
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for cls in reversed(classes):
        bpy.utils.unregister_class(cls)


if __name__ == "__main__":
    register()
