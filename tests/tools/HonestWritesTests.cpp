// Tolmar MSH Viewer - the tools as a script or a careless user runs them: every output whole or absent, every
// failure said with its reason and a non-zero status, nothing that is not a regular file read or replaced.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"

#include <unistd.h>

namespace
{
    struct Case
    {
        std::string name;
        const char* command;   // run by sh in the scratch folder, with $INFO, $CONVERT, $RENDER, $GEN, $VALIDATE, $TRANSFORM
        int status;
        const char* says;      // in what it printed
        const char* after;     // a shell test that must pass afterwards
        bool asRoot = false;   // needs root: a small tmpfs, an immutable file, another user
    };

    // The command's status and output, and whether the check afterwards passed.
    struct Outcome
    {
        int status = -1;
        juce::String said;
        bool afterwardsOk = false;
    };

    Outcome runCase (const juce::File& folder, const Case& c)
    {
        const auto said = folder.getSiblingFile (folder.getFileName() + ".said");
        const auto script = juce::String ("export INFO='" MSHINFO_PATH "' CONVERT='" MSHCONVERT_PATH "' RENDER='" MSHRENDER_PATH "' GEN='" MSHGEN_PATH
                                          "' VALIDATE='node " VALIDATE_GLTF_SCRIPT "' TRANSFORM='")
                          + juce::SystemStats::getEnvironmentVariable ("GLTF_TRANSFORM", "gltf-transform") + "'\ncd '" + folder.getFullPathName() + "' || exit 99\n"
                          + "( " + c.command + " ) >'" + said.getFullPathName() + "' 2>&1\necho \"status=$?\"\n( " + c.after + " ) >/dev/null 2>&1 && echo after-ok\n";
        juce::ChildProcess process;
        Outcome outcome;

        if (! process.start (juce::StringArray { "sh", "-c", script }))
            return outcome;

        const auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        outcome.status = output.fromFirstOccurrenceOf ("status=", false, false).getIntValue();
        outcome.afterwardsOk = output.contains ("after-ok");
        outcome.said = said.loadFileAsString();
        said.deleteFile();
        return outcome;
    }

    bool shell (const juce::String& command)
    {
        return std::system (command.toRawUTF8()) == 0;
    }

    void PrintTo (const Case& c, std::ostream* out) { *out << c.name; }

    class HonestWrites : public ::testing::TestWithParam<Case> {};
}

TEST_P (HonestWrites, EndsAsTheCaseSaysLeavingOnlyWholeFiles)
{
    const auto& c = GetParam();
    const bool root = ::geteuid() == 0;

    if (c.asRoot && ! root)
        GTEST_SKIP() << "needs root: a small tmpfs, an immutable file, another user";

    ScratchFolder scratch;
    const auto path = scratch.folder.getFullPathName();
    MshMesh mesh;
    buildSampleMesh (mesh);
    scratch.write ("tank.msh", mshWriteToMemory (mesh));
    scratch.write ("same.msh", mshWriteToMemory (mesh));
    buildRichMesh (mesh);
    scratch.write ("rich.msh", mshWriteToMemory (mesh));
    mesh.clear();
    scratch.write ("empty.msh", mshWriteToMemory (mesh));
    addSphere (mesh.root, 1, 60, 60); // its export does not fit into 64 KiB
    scratch.write ("big.msh", mshWriteToMemory (mesh));

    ASSERT_TRUE (shell ("cd '" + path + "' && mkdir D a b imm ro && mkfifo f.msh && ln -s loop.msh loop.msh && cp tank.msh a/x.msh"
                        " && cp tank.msh b/x.msh && cp tank.msh ./-dash.msh && cp tank.msh ro/ && chmod 555 ro"));
    const bool mounted = c.asRoot && shell ("mkdir '" + path + "/full' && mount -t tmpfs -o size=64k tmpfs '" + path + "/full'");
    const juce::ScopeGuard unmount { [&] { if (mounted) shell ("umount '" + path + "/full'"); if (c.asRoot) shell ("chattr -i '" + path + "/imm/x.gltf' '" + path + "/imm/y.bin' 2>/dev/null"); } };
    ASSERT_EQ (c.asRoot, mounted);

    const auto outcome = runCase (scratch.folder, c);
    EXPECT_EQ (c.status, outcome.status) << c.command << "\n" << outcome.said;
    EXPECT_TRUE (outcome.said.contains (c.says)) << c.command << "\n" << outcome.said;
    EXPECT_TRUE (outcome.afterwardsOk) << c.command << "\n" << outcome.said;

    // No temporary file anywhere.
    EXPECT_EQ (0, scratch.folder.findChildFiles (juce::File::findFilesAndDirectories, true, ".*").size());
}

INSTANTIATE_TEST_SUITE_P (Tools, HonestWrites, ::testing::Values (
    // The input as the output, and outputs that two inputs or a texture would share.
    Case { "input_as_output", "$CONVERT same.msh -o same.msh", 2, "would overwrite the input", "cmp same.msh tank.msh" },
    Case { "render_input_as_output", "$RENDER same.msh ./same.msh", 3, "would overwrite the input", "cmp same.msh tank.msh" },
    Case { "output_a_hard_link_to_the_input", "ln tank.msh hard.glb && $CONVERT tank.msh -o hard.glb", 2, "would overwrite the input", "cmp hard.glb same.msh" },
    Case { "two_inputs_into_a_folder_to_make", "$CONVERT tank.msh rich.msh -o made", 0, "", "[ -f made/tank.glb ] && [ -f made/rich.glb ]" },
    Case { "two_inputs_one_output", "$CONVERT a/x.msh b/x.msh -o out", 2, "written for both", "[ ! -e out ]" },
    Case { "texture_named_after_the_obj", "$RENDER --size 8 tank.msh tank.png && cp tank.png render.png && $CONVERT --format obj tank.msh", 0, "",
          "cmp tank.png render.png && grep -q 'map_Kd tank-rainbow.png' tank.mtl && [ -f tank-rainbow.png ]" },
    // Folders: an existing one takes the output inside it; one that is missing is said to be.
    Case { "folders_take_outputs_inside", "$RENDER --size 8 tank.msh D && $CONVERT tank.msh -o D && $CONVERT --format obj tank.msh -o new/", 0, "",
          "[ -f D/tank.png ] && [ -f D/tank.glb ] && [ -f new/tank.obj ]" },
    Case { "missing_folder_said", "$CONVERT tank.msh -o gone/x.glb", 2, "gone/x.glb: No such file or directory", "[ ! -e gone ]" },
    Case { "unwritable_place_said", "$CONVERT tank.msh -o /proc/x.glb", 2, "cannot write /proc/x.glb: ", "true" },
    Case { "file_as_folder_said", "$CONVERT tank.msh -o a/x.msh/y.glb", 2, "Not a directory", "cmp a/x.msh tank.msh" },
    Case { "mshgen_missing_folder_said", "$GEN sample gone/x.msh", 1, "gone/x.msh: No such file or directory", "[ ! -e gone ]" },
    Case { "broken_gltf_writes_nothing", "printf '{' >broken.gltf && $CONVERT broken.gltf -o out.msh", 2, "broken.gltf: ", "[ ! -e out.msh ]" },
    // A longer file written over is replaced whole, not written into.
    Case { "longer_file_replaced_whole", "head -c 3000000 /dev/zero | tr '\\0' y >out.obj && $CONVERT --format obj rich.msh -o out.obj", 0, "", "! grep -q y out.obj" },
    // Inputs that are no regular file are refused at once (timeout says 124 for a wait).
    Case { "info_fifo_refused", "timeout 10 $INFO f.msh", 2, "f.msh: is not a regular file", "true" },
    Case { "convert_fifo_refused", "timeout 10 $CONVERT f.msh", 2, "is not a regular file", "[ ! -e f.glb ]" },
    Case { "render_fifo_refused", "timeout 10 $RENDER f.msh f.png", 2, "is not a regular file", "[ ! -e f.png ]" },
    Case { "glb_fifo_refused", "mkfifo f.glb && timeout 10 $CONVERT f.glb -o back.msh", 2, "f.glb: is not a regular file", "[ ! -e back.msh ]" },
    Case { "info_link_loop_said", "$INFO loop.msh", 2, "Too many levels of symbolic links", "true" },
    Case { "render_link_loop_said", "$RENDER tank.msh loop.msh", 3, "Too many levels of symbolic links", "true" },
    // A mesh with nothing drawn has no buffer, not an empty one.
    Case { "empty_mesh_has_no_buffer", "$CONVERT --format gltf empty.msh && $VALIDATE empty.gltf", 0, "0 errors, 0 warnings", "[ ! -e empty.bin ]" },
    // Standard output that cannot be written is an error.
    Case { "full_standard_output", "$INFO tank.msh >/dev/full", 2, "No space left on device", "true" },
    Case { "closed_standard_output", "$INFO --json tank.msh >&-", 2, "closed", "true" },
    Case { "help_to_full_standard_output", "$RENDER --help >/dev/full", 2, "No space left on device", "true" },
    // The extension chooses the format, or must agree with the one asked for.
    Case { "extension_chooses_the_format", "$CONVERT tank.msh -o out2.obj", 0, "", "grep -q '^f ' out2.obj && [ -f out2.mtl ]" },
    Case { "extension_against_the_format", "$CONVERT --format glb tank.msh -o out3.obj", 64, "does not match --format glb", "[ ! -e out3.obj ]" },
    // Options: "--" ends them, values are whole and named when wrong, every program has --version.
    Case { "double_dash_ends_options", "$CONVERT -- -dash.msh", 0, "", "[ -f ./-dash.glb ]" },
    Case { "size_too_big", "$RENDER --size 4294967297x4294967297 tank.msh big.png", 64, "bad value for --size: \"4294967297x4294967297\"", "[ ! -e big.png ]" },
    Case { "size_of_three", "$RENDER --size 64x64x64 tank.msh big.png", 64, "bad value for --size", "[ ! -e big.png ]" },
    Case { "bad_format", "$CONVERT --format bogus tank.msh", 64, "bad value for --format: \"bogus\"", "true" },
    Case { "name_value_options", "cp tank.msh eq.msh && cp tank.msh x=y.msh && $CONVERT --format=gltf eq.msh x=y.msh && $RENDER --size=1x1 eq.msh one.png", 0, "",
          "[ -f eq.gltf ] && [ -f x=y.gltf ] && [ \"$(identify -format %wx%h one.png)\" = 1x1 ]" },
    Case { "format_without_value", "$CONVERT tank.msh --format", 64, "--format needs a value", "true" },
    Case { "unknown_option", "$CONVERT tank.msh -o=x.glb", 64, "unknown option -o=x.glb", "[ ! -e x.glb ]" },
    Case { "every_program_has_a_version", "$INFO --version && $CONVERT --version && $RENDER --version && $GEN --version", 0, "mshgen 0.2.1", "true" },
    // A full disk: nothing of a file or a set of files is left there.
    Case { "full_disk_glb", "$CONVERT big.msh -o full/out.glb", 2, "cannot write", "[ -z \"$(ls -A full)\" ]", true },
    Case { "full_disk_gltf_set", "$CONVERT --format gltf big.msh -o full/out.gltf", 2, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
    Case { "full_disk_picture", "$RENDER --size 2000x2000 big.msh full/out.png", 3, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
    Case { "full_disk_msh", "$CONVERT big.msh -o big.glb && $CONVERT big.glb -o full/big.msh", 2, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
    // A set whose last file cannot be replaced: the others are put back as they were.
    Case { "last_of_a_set_immutable", "$CONVERT --format gltf tank.msh -o imm/x.gltf && echo old >imm/x.bin && chattr +i imm/x.gltf && $CONVERT --format gltf rich.msh -o imm/x.gltf",
          2, "imm/x.gltf: Operation not permitted", "[ \"$(cat imm/x.bin)\" = old ] && [ $(ls -A imm | wc -l) = 3 ]", true },
    // One that cannot be set aside: found before anything changed, the others' second names gone.
    Case { "middle_of_a_set_immutable", "$CONVERT --format gltf tank.msh -o imm/y.gltf && cp imm/y.gltf y.kept && chattr +i imm/y.bin && $CONVERT --format gltf rich.msh -o imm/y.gltf",
          2, "imm/y.bin: Operation not permitted", "[ $(ls -A imm | wc -l) = 3 ] && cmp imm/y.gltf y.kept", true },
    // Another user in a folder that is not theirs.
    Case { "another_users_folder", "setpriv --reuid=nobody --regid=nogroup --clear-groups $CONVERT ro/tank.msh", 2, "ro/tank.glb: Permission denied", "[ ! -e ro/tank.glb ]", true },

    // An import with nothing to write is refused, and leaves the .msh it would have replaced.
    Case { "empty_obj", "cp tank.msh t.msh && : >t.obj && $CONVERT t.obj", 2, "t.obj: no faces: nothing to write", "cmp t.msh tank.msh" },
    Case { "comment_only_obj", "cp tank.msh t.msh && printf '# nothing\\n' >t.obj && $CONVERT t.obj", 2, "no faces", "cmp t.msh tank.msh" },
    Case { "vertices_only_obj", "cp tank.msh t.msh && printf 'v 0 0 0\\nv 1 0 0\\nv 0 1 0\\n' >t.obj && $CONVERT t.obj", 2, "no faces", "cmp t.msh tank.msh" },
    Case { "random_bytes_obj", "cp tank.msh t.msh && head -c 25000 /dev/urandom | tr -d 'f' >t.obj && $CONVERT t.obj", 2, "t.obj: ", "cmp t.msh tank.msh" },
    Case { "gltf_without_nodes", "cp tank.msh t.msh && printf '{\"asset\":{\"version\":\"2.0\"},\"scenes\":[{\"nodes\":[]}],\"scene\":0}' >t.gltf && $CONVERT t.gltf", 2,
           "no nodes in its scene", "cmp t.msh tank.msh" },
    Case { "empty_obj_against_a_base", "cp tank.msh t.msh && : >t.obj && $CONVERT t.obj --base tank.msh", 2, "no faces", "cmp t.msh tank.msh" },
    Case { "faceless_obj_of_a_faceless_base", "$GEN seeds s && $CONVERT s/deep.msh -o d.obj && $CONVERT d.obj --base s/deep.msh -o d.msh", 0, "", "cmp d.msh s/deep.msh" },
    Case { "folders_made_for_a_failed_run_removed", ": >e.obj && $CONVERT e.obj -o new/deep/", 2, "no faces", "[ ! -e new ]" },
    // Memory that is not there is said, not an abort.
    Case { "buffer_bigger_than_memory", "truncate -s 2G huge.bin && printf '{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"uri\":\"huge.bin\",\"byteLength\":2147483648}],"
           "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36}],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"}],"
           "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],\"nodes\":[{\"mesh\":0}],\"scenes\":[{\"nodes\":[0]}]}' >h.gltf && (ulimit -v 1500000 && $CONVERT h.gltf)",
           2, "not enough memory", "[ ! -e h.msh ]" },
    // mshinfo: flags by name, totals and bounds as the view draws them, a JSON line a file under the worst
    // status, the error of a file not loaded, usage.
    Case { "info_names_the_flags", "$INFO tank.msh >r.txt", 0, "", "grep -qF '\"collision_hull\"  flags 0x500 (Is Collidable, Is Hidden from in-game)' r.txt"
           " && grep -qF '\"hp_gun\"  flags 0x0 (Is an HP)  translation (1.5, 0, 0)' r.txt && grep -qF '\"cart_base\"  flags 0x100 (Is Collidable)' r.txt" },
    Case { "info_totals_and_bounds", "$INFO tank.msh && $INFO --json tank.msh", 0, "totals: 9 objects, 411 vertices, 418 triangles drawn, 0 left out\n"
           "bounds: (-3.7, -1, -4) to (3.7, 3.75, 4)\n", "$INFO --json tank.msh | grep -qF '\"totals\":{\"objects\":9,\"vertices\":411,\"trianglesDrawn\":418,"
           "\"trianglesLeftOut\":0},\"bounds\":{\"min\":[-3.7,-1,-4],\"max\":[3.7,3.75,4]}'" },
    Case { "info_a_json_line_a_file", ": >e.msh && $INFO --json tank.msh e.msh >r.txt", 2, "", "[ $(wc -l <r.txt) = 2 ]" },
    Case { "info_of_an_empty_file", ": >e.msh && $INFO --json e.msh", 2, "\"loaded\":false,\"error\":\"the file is empty\"", "true" },
    Case { "info_of_a_missing_file", "$INFO --json gone.msh", 2, "\"loaded\":false,\"error\":\"no such file\"", "true" },
    Case { "info_of_a_folder", "$INFO --json D", 2, "\"loaded\":false,\"error\":\"is a directory\"", "true" },
    Case { "info_help", "$INFO --help", 0, "usage: mshinfo", "true" },
    Case { "info_without_a_file", "$INFO", 64, "no FILE given", "true" },
    // mshrender: the background alone for an empty model; no picture for a bad file or size.
    Case { "render_an_empty_model", "$RENDER empty.msh e.png", 0, "", "[ \"$(convert e.png -unique-colors -format %w info:)\" = 1 ]" },
    Case { "render_a_bad_file", ": >bad.msh && $RENDER bad.msh bad.png", 2, "bad.msh: the file is empty", "[ ! -e bad.png ]" },
    Case { "render_a_bad_size", "$RENDER --size 0 tank.msh t.png", 64, "bad value for --size", "[ ! -e t.png ]" },
    // Usage: an option given twice, an output of no format written here.
    Case { "output_given_twice", "$CONVERT tank.msh -o a.glb -o b.glb", 64, "-o given twice", "[ ! -e a.glb ] && [ ! -e b.glb ]" },
    Case { "format_given_twice", "$CONVERT --format glb --format obj tank.msh", 64, "--format given twice", "[ ! -e tank.glb ] && [ ! -e tank.obj ]" },
    Case { "output_of_no_format", "$CONVERT tank.msh -o out.png", 64, "out.png: names no format written here", "[ ! -e out.png ]" },
    // What a killed run left a day ago goes; a newer one may be another run's, at work.
    Case { "stale_temporaries_removed", "touch -d '2 days ago' .tank.glb.part-1f && touch .tank.glb.part-2e && $CONVERT tank.msh", 0, "",
           "[ ! -e .tank.glb.part-1f ] && [ -e .tank.glb.part-2e ] && rm .tank.glb.part-2e" },
    Case { "owner_and_group_kept", "cp tank.msh o.glb && chown nobody:nogroup o.glb && $CONVERT tank.msh -o o.glb", 0, "",
           "[ \"$(stat -c %U:%G o.glb)\" = nobody:nogroup ] && [ \"$(head -c 4 o.glb)\" = glTF ]", true },
    // Names: file names in URIs percent-encoded, read back by another program; names that are no text.
    Case { "percent_encoded_names_read_back", "cp tank.msh 'a b#?%.msh' && $CONVERT --format gltf 'a b#?%.msh' && $VALIDATE 'a b#?%.gltf'"
           " && $CONVERT 'a b#?%.gltf' -o back.msh && $TRANSFORM copy 'a b#?%.gltf' copy.glb", 0, "0 errors, 0 warnings", "cmp back.msh tank.msh && [ -s copy.glb ]" },
    Case { "file_name_not_utf8_in_json", "cp tank.msh \"$(printf 'a\\351b.msh')\" && $INFO --json a*b.msh", 0, "{\"file\":\"a\\ufffdb.msh\",\"fileBytes\":\"YeliLm1zaA==\",", "true" },
    Case { "file_name_of_valid_overlong_surrogate_and_too_high_utf8_in_json", "cp tank.msh \"$(printf 'x\\303\\251\\340\\200\\257\\355\\240\\200\\364\\220\\200\\200y.msh')\" && $INFO --json x*y.msh", 0,
           "{\"file\":\"x\xc3\xa9\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffdy.msh\",\"fileBytes\":\"eMOp4ICv7aCA9JCAgHkubXNo\",", "true" },
    Case { "control_characters_in_a_file_name", "cp tank.msh \"$(printf 'e\\033[31m\\nx.msh')\" && $INFO e*x.msh", 0, "file: e\\x1b[31m\\x0ax.msh\n", "true" }),
    CaseName());
