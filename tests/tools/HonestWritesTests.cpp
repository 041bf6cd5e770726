// Tolmar MSH Viewer - the tools as a script or a careless user runs them: every output whole or absent, every
// failure said with its reason and a non-zero status, nothing that is not a regular file read or replaced.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"

#include <unistd.h>

namespace
{
    struct Case
    {
        const char* command;   // run by sh in the scratch folder, with $INFO, $CONVERT, $RENDER, $GEN, $VALIDATE
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
                                          "' VALIDATE='node " VALIDATE_GLTF_SCRIPT "'\ncd '") + folder.getFullPathName() + "' || exit 99\n"
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
}

TEST (HonestWrites, EveryFailureIsSaidWithItsReasonAndLeavesNothingHalfWritten)
{
    ScratchFolder scratch;
    const auto path = scratch.folder.getFullPathName();
    const bool root = ::geteuid() == 0;
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
    const bool mounted = root && shell ("mkdir '" + path + "/full' && mount -t tmpfs -o size=64k tmpfs '" + path + "/full'");
    const juce::ScopeGuard unmount { [&] { if (mounted) shell ("umount '" + path + "/full'"); shell ("chattr -i '" + path + "/imm/x.gltf' '" + path + "/imm/y.bin' 2>/dev/null"); } };

    const Case cases[] = {
        // The input as the output, and outputs that two inputs or a texture would share.
        { "$CONVERT same.msh -o same.msh", 2, "would overwrite the input", "cmp same.msh tank.msh" },
        { "$RENDER same.msh ./same.msh", 3, "would overwrite the input", "cmp same.msh tank.msh" },
        { "$CONVERT a/x.msh b/x.msh -o out", 2, "written for both", "[ ! -e out ]" },
        { "$RENDER --size 8 tank.msh tank.png && cp tank.png render.png && $CONVERT --format obj tank.msh", 0, "",
          "cmp tank.png render.png && grep -q 'map_Kd tank-rainbow.png' tank.mtl && [ -f tank-rainbow.png ]" },
        // Folders: an existing one takes the output inside it; one that is missing is said to be.
        { "$RENDER --size 8 tank.msh D && $CONVERT tank.msh -o D && $CONVERT --format obj tank.msh -o new/", 0, "",
          "[ -f D/tank.png ] && [ -f D/tank.glb ] && [ -f new/tank.obj ]" },
        { "$CONVERT tank.msh -o gone/x.glb", 2, "gone/x.glb: No such file or directory", "[ ! -e gone ]" },
        { "$CONVERT tank.msh -o /proc/x.glb", 2, "cannot write /proc/x.glb: ", "true" },
        { "$CONVERT tank.msh -o a/x.msh/y.glb", 2, "Not a directory", "cmp a/x.msh tank.msh" },
        { "$GEN sample gone/x.msh", 1, "gone/x.msh: No such file or directory", "[ ! -e gone ]" },
        { "printf '{' >broken.gltf && $CONVERT broken.gltf -o out.msh", 2, "broken.gltf: ", "[ ! -e out.msh ]" },
        // A longer file written over is replaced whole, not written into.
        { "head -c 3000000 /dev/zero | tr '\\0' y >out.obj && $CONVERT --format obj rich.msh -o out.obj", 0, "", "! grep -q y out.obj" },
        // Inputs that are no regular file are refused at once (timeout says 124 for a wait).
        { "timeout 10 $INFO f.msh", 2, "f.msh: is not a regular file", "true" },
        { "timeout 10 $CONVERT f.msh", 2, "is not a regular file", "[ ! -e f.glb ]" },
        { "timeout 10 $RENDER f.msh f.png", 2, "is not a regular file", "[ ! -e f.png ]" },
        { "mkfifo f.glb && timeout 10 $CONVERT f.glb -o back.msh", 2, "f.glb: is not a regular file", "[ ! -e back.msh ]" },
        { "$INFO loop.msh", 2, "Too many levels of symbolic links", "true" },
        { "$RENDER tank.msh loop.msh", 3, "Too many levels of symbolic links", "true" },
        // A mesh with nothing drawn has no buffer, not an empty one.
        { "$CONVERT --format gltf empty.msh && $VALIDATE empty.gltf", 0, "0 errors, 0 warnings", "[ ! -e empty.bin ]" },
        // Standard output that cannot be written is an error.
        { "$INFO tank.msh >/dev/full", 2, "No space left on device", "true" },
        { "$INFO --json tank.msh >&-", 2, "closed", "true" },
        { "$RENDER --help >/dev/full", 2, "No space left on device", "true" },
        // The extension chooses the format, or must agree with the one asked for.
        { "$CONVERT tank.msh -o out2.obj", 0, "", "grep -q '^f ' out2.obj && [ -f out2.mtl ]" },
        { "$CONVERT --format glb tank.msh -o out3.obj", 2, "does not match --format glb", "[ ! -e out3.obj ]" },
        // Options: "--" ends them, values are whole and named when wrong, every program has --version.
        { "$CONVERT -- -dash.msh", 0, "", "[ -f ./-dash.glb ]" },
        { "$RENDER --size 4294967297x4294967297 tank.msh big.png", 64, "bad value for --size: \"4294967297x4294967297\"", "[ ! -e big.png ]" },
        { "$RENDER --size 64x64x64 tank.msh big.png", 64, "bad value for --size", "[ ! -e big.png ]" },
        { "$CONVERT --format bogus tank.msh", 64, "bad value for --format: \"bogus\"", "true" },
        { "cp tank.msh eq.msh && cp tank.msh x=y.msh && $CONVERT --format=gltf eq.msh x=y.msh && $RENDER --size=1x1 eq.msh one.png", 0, "",
          "[ -f eq.gltf ] && [ -f x=y.gltf ] && [ \"$(identify -format %wx%h one.png)\" = 1x1 ]" },
        { "$CONVERT tank.msh --format", 64, "--format needs a value", "true" },
        { "$CONVERT tank.msh -o=x.glb", 64, "unknown option -o=x.glb", "[ ! -e x.glb ]" },
        { "$INFO --version && $CONVERT --version && $RENDER --version && $GEN --version", 0, "mshgen 0.2.1", "true" },
        // A full disk: nothing of a file or a set of files is left there.
        { "$CONVERT big.msh -o full/out.glb", 2, "cannot write", "[ -z \"$(ls -A full)\" ]", true },
        { "$CONVERT --format gltf big.msh -o full/out.gltf", 2, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
        { "$RENDER --size 2000x2000 big.msh full/out.png", 3, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
        { "$CONVERT big.msh -o big.glb && $CONVERT big.glb -o full/big.msh", 2, "No space left on device", "[ -z \"$(ls -A full)\" ]", true },
        // A set whose last file cannot be replaced: the others are put back as they were.
        { "$CONVERT --format gltf tank.msh -o imm/x.gltf && echo old >imm/x.bin && chattr +i imm/x.gltf && $CONVERT --format gltf rich.msh -o imm/x.gltf",
          2, "imm/x.gltf: Operation not permitted", "[ \"$(cat imm/x.bin)\" = old ] && [ $(ls -A imm | wc -l) = 3 ]", true },
        // One that cannot be set aside: found before anything changed, the others' second names gone.
        { "$CONVERT --format gltf tank.msh -o imm/y.gltf && cp imm/y.gltf y.kept && chattr +i imm/y.bin && $CONVERT --format gltf rich.msh -o imm/y.gltf",
          2, "imm/y.bin: Operation not permitted", "[ $(ls -A imm | wc -l) = 6 ] && cmp imm/y.gltf y.kept", true },
        // Another user in a folder that is not theirs.
        { "setpriv --reuid=nobody --regid=nogroup --clear-groups $CONVERT ro/tank.msh", 2, "ro/tank.glb: Permission denied", "[ ! -e ro/tank.glb ]", true },
    };

    for (const auto& c : cases)
    {
        if (c.asRoot && ! (root && mounted))
        {
            std::cout << "skipped (needs root): " << c.command << "\n";
            continue;
        }

        const auto outcome = runCase (scratch.folder, c);
        EXPECT_EQ (c.status, outcome.status) << c.command << "\n" << outcome.said;
        EXPECT_TRUE (outcome.said.contains (c.says)) << c.command << "\n" << outcome.said;
        EXPECT_TRUE (outcome.afterwardsOk) << c.command << "\n" << outcome.said;
    }

    // No temporary file anywhere.
    EXPECT_EQ (0, scratch.folder.findChildFiles (juce::File::findFilesAndDirectories, true, ".*").size());
}
