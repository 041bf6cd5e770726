// Tolmar MSH Viewer - how fast and how lean the reader loads big files. Prints numbers; asserts nothing.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
//   bench_reader [FOLDER]   writes three files into FOLDER (default: a temporary folder, removed after),
//                           then for each prints the load time, the time to read the same bytes into
//                           memory, their ratio, and the peak memory of a process that loads it; for the
//                           biggest, what mshinfo, mshconvert and mshrender take in time and memory; then
//                           496,000 triangles through Blender and back with --base (where Blender is).
#include "msh/MshWriter.h"
#include "msh/MshReader.h"
#include "samples/SampleMeshes.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>

namespace
{
    using Clock = std::chrono::steady_clock;

    double secondsSince (Clock::time_point start)
    {
        return std::chrono::duration<double> (Clock::now() - start).count();
    }

    // Vertex-heavy: objects of 65535 vertices (the most a uint16 index reaches), a triangle list each.
    void buildVertexHeavy (MshMesh& mesh, juce::int64 targetBytes)
    {
        mesh.clear();
        mesh.root.name = "heavy";
        std::unique_ptr<MshObject>* link = &mesh.root.firstChild;
        const auto perObject = (juce::int64) 65535 * 32 + 65535 * 2;

        for (int i = 0; (juce::int64) i * perObject < targetBytes; ++i)
        {
            *link = std::make_unique<MshObject>();
            auto& object = **link;
            object.name = "part" + juce::String (i);
            object.vertices.resize (65535);

            for (size_t v = 0; v < object.vertices.size(); ++v)
                object.vertices[v] = { (float) v, (float) i, 0, 0, 0, 1, (float) (v % 7), 0.5f };

            object.indices.resize (65535);
            for (size_t k = 0; k < object.indices.size(); ++k)
                object.indices[k] = (juce::uint16) k;

            link = &object.nextSibling;
        }
    }

    // Many small objects: a triangle each, side by side under the root.
    void buildManyObjects (MshMesh& mesh, int count)
    {
        buildLongChain (mesh, count);

        for (auto* object = mesh.root.firstChild.get(); object != nullptr; object = object->nextSibling.get())
        {
            object->vertices = { { 0, 0, 0, 0, 0, 1, 0, 0 }, { 1, 0, 0, 0, 0, 1, 1, 0 }, { 0, 1, 0, 0, 0, 1, 0, 1 } };
            object->indices = { 0, 1, 2 };
            object->flags = 0x100;
        }
    }

    double bestRawRead (const juce::File& file, int runs)
    {
        double best = 1e9;

        for (int run = 0; run < runs; ++run)
        {
            const auto start = Clock::now();
            juce::FileInputStream in (file);
            const auto size = (size_t) in.getTotalLength();
            std::unique_ptr<char[]> bytes (new char[size]); // fresh memory, as the loader gets
            size_t done = 0;

            while (done < size)
            {
                const auto got = in.read (bytes.get() + done, (int) juce::jmin<size_t> (size - done, 1 << 30));
                if (got <= 0) break;
                done += (size_t) got;
            }

            best = juce::jmin (best, secondsSince (start));
        }

        return best;
    }

    double bestLoad (const juce::File& file, int runs)
    {
        double best = 1e9;

        for (int run = 0; run < runs; ++run)
        {
            auto mesh = std::make_unique<MshMesh>();
            const auto start = Clock::now();
            const auto loaded = mshLoadFile (*mesh, file);
            best = juce::jmin (best, secondsSince (start));

            if (! loaded)
                std::cerr << "load failed: " << loaded.message() << "\n";
        }

        return best;
    }

    // Peak resident memory, in bytes, of a child process that only loads the file.
    juce::int64 peakMemoryOfALoad (const char* self, const juce::File& file)
    {
        const auto pid = fork();

        if (pid == 0)
        {
            execl (self, self, "--load-only", file.getFullPathName().toRawUTF8(), (char*) nullptr);
            _exit (127);
        }

        int status = 0;
        rusage usage {};
        wait4 (pid, &status, 0, &usage);
        return (juce::int64) usage.ru_maxrss * 1024;
    }

    // Seconds and peak resident bytes of one run of a program, best of runs.
    std::pair<double, juce::int64> runProgram (std::vector<std::string> arguments, int runs)
    {
        double best = 1e9;
        juce::int64 peak = 0;

        for (int run = 0; run < runs; ++run)
        {
            std::vector<char*> argv;
            for (auto& a : arguments)
                argv.push_back (a.data());
            argv.push_back (nullptr);
            const auto start = Clock::now();
            const auto pid = fork();

            if (pid == 0)
            {
                if (std::freopen ("/dev/null", "w", stdout) == nullptr || std::freopen ("/dev/null", "w", stderr) == nullptr)
                    _exit (126);
                execv (argv[0], argv.data());
                _exit (127);
            }

            int status = 0;
            rusage usage {};
            wait4 (pid, &status, 0, &usage);
            best = juce::jmin (best, secondsSince (start));
            peak = juce::jmax (peak, (juce::int64) usage.ru_maxrss * 1024);
        }

        return { best, peak };
    }

    bool sameBytes (const juce::File& a, const juce::File& b)
    {
        juce::FileInputStream x (a), y (b);
        std::vector<char> p (1 << 20), q (1 << 20);

        if (x.failedToOpen() || y.failedToOpen() || x.getTotalLength() != y.getTotalLength())
            return false;

        for (int n; (n = x.read (p.data(), (int) p.size())) > 0;)
            if (y.read (q.data(), n) != n || std::memcmp (p.data(), q.data(), (size_t) n) != 0)
                return false;

        return true;
    }

    // What the tools cost on the big file: mshinfo's load as the yardstick for the export, and a process
    // that only reads the file into fresh memory as mshinfo's.
    void measureTools (const char* self, const juce::File& file)
    {
        const auto path = file.getFullPathName().toStdString();
        const auto size = (double) file.getSize();
        const auto [raw, rawPeak] = runProgram ({ self, "--raw-read-only", path }, 5);
        const auto [json, jsonPeak] = runProgram ({ MSHINFO_PATH, "--json", path }, 5);
        std::printf ("a process reading it    %6.3f s;  mshinfo --json %6.3f s = %4.2f x that (target 1.25 x), peak %.2f x file\n",
                     raw, json, json / raw, (double) jsonPeak / size);
        juce::ignoreUnused (rawPeak);
        std::fflush (stdout); // a child forked with it unwritten would write it again
        const auto [info, infoPeak] = runProgram ({ MSHINFO_PATH, path }, 3);
        const auto [glb, glbPeak] = runProgram ({ MSHCONVERT_PATH, "-o", path + ".glb", path }, 3);
        const auto [obj, objPeak] = runProgram ({ MSHCONVERT_PATH, "--format", "obj", "-o", path + ".obj", path }, 1);
        const auto [picture, picturePeak] = runProgram ({ MSHRENDER_PATH, path, path + ".png" }, 3);
        std::printf ("mshinfo (load and report) %6.2f s, peak %.2f x file\n", info, (double) infoPeak / size);
        std::printf ("mshconvert to .glb        %6.2f s = %4.2f x mshinfo (target 3 x), peak %.2f x file (target 2 x)\n",
                     glb, glb / info, (double) glbPeak / size);
        std::fflush (stdout); // a child forked with it unwritten would write it again
        const auto [back, backPeak] = runProgram ({ MSHCONVERT_PATH, path + ".glb", "-o", path + ".back.msh" }, 3);
        std::printf ("mshconvert .glb to .msh   %6.2f s = %4.2f x the export (target 2 x), peak %.2f x file (target 2.5 x); %s\n",
                     back, back / glb, (double) backPeak / size,
                     sameBytes (juce::File (path + ".back.msh"), file) ? "the same bytes" : "NOT the same bytes");
        std::printf ("mshconvert to .obj        %6.2f s = %4.2f x mshinfo, peak %.2f x file\n", obj, obj / info, (double) objPeak / size);
        std::printf ("mshrender 512 x 512       %6.2f s (target 3 s), peak %.2f x file\n", picture, (double) picturePeak / size);
        std::fflush (stdout);
    }

    // Eight balls of 62,000 triangles: 496,000 in all, each object well within 65,535 vertices.
    void buildBalls (MshMesh& mesh)
    {
        mesh.clear();
        mesh.root.name = "balls";
        setTranslation (mesh.root, 0, 0, 0);

        for (int i = 0; i < 8; ++i)
        {
            auto& ball = addChild (mesh.root, "ball" + juce::String (i), 0x100);
            setTranslation (ball, 2.5f * (float) i, 0.1f * (float) i, 0);
            addSphere (ball, 1.0f + 0.01f * (float) i, 124, 250);
        }
    }

    // The balls through Blender's glTF import and default export (when Blender is there), merged back
    // with --base, against our own glTF read back plainly.
    void measureBlender (const juce::File& folder)
    {
        const auto msh = folder.getChildFile ("balls.msh"), glb = folder.getChildFile ("balls.glb"), saved = folder.getChildFile ("balls-blender.glb");
        MshMesh mesh;
        buildBalls (mesh);
        if (const auto written = mshWriteToFile (mesh, msh); ! written.ok())
        {
            std::printf ("balls: %s\n", written.message().toRawUTF8());
            return;
        }

        const auto path = [] (const juce::File& f) { return f.getFullPathName().toStdString(); };
        runProgram ({ MSHCONVERT_PATH, "-o", path (glb), path (msh) }, 1);
        std::fflush (stdout);
        const auto [blender, blenderPeak] = runProgram ({ "/usr/bin/env", "blender", "-b", "--factory-startup", "--python-exit-code", "1",
                                                          "--python", BLENDER_PEER_SCRIPT, "--", "glb", path (glb), path (saved) }, 1);
        juce::ignoreUnused (blender, blenderPeak);

        if (! saved.existsAsFile())
        {
            std::printf ("496,000 triangles through Blender: Blender could not be run (scripts/setup.sh installs it)\n");
            return;
        }

        const auto [plain, plainPeak] = runProgram ({ MSHCONVERT_PATH, "-o", path (folder.getChildFile ("plain.msh")), path (saved) }, 3);
        const auto [merged, mergedPeak] = runProgram ({ MSHCONVERT_PATH, "-o", path (folder.getChildFile ("merged.msh")), "--base", path (msh), path (saved) }, 3);
        std::printf ("496,000 triangles, %.1f MB .msh, %.1f MB from Blender: mshconvert --base %5.2f s = %4.2f x the plain import of "
                     "Blender's file (%5.2f s; target 2 x), peak %.2f x the .msh, %.2f x Blender's file (target 2.5 x; plain %.2f x); %s\n",
                     (double) msh.getSize() / 1e6, (double) saved.getSize() / 1e6, merged, merged / plain, plain,
                     (double) mergedPeak / (double) msh.getSize(), (double) mergedPeak / (double) saved.getSize(),
                     (double) plainPeak / (double) saved.getSize(),
                     sameBytes (folder.getChildFile ("merged.msh"), msh) ? "the same bytes" : "NOT the same bytes");
        std::fflush (stdout);
    }

    void measure (const char* self, const char* label, const juce::File& file, int runs)
    {
        const auto size = file.getSize();
        const auto raw = bestRawRead (file, runs);
        const auto load = bestLoad (file, runs);
        const auto peak = peakMemoryOfALoad (self, file);
        const auto mb = [] (juce::int64 bytes) { return (double) bytes / 1e6; };
        const auto budget = 1.3 * (double) size + 50e6;

        std::printf ("%-22s %9.1f MB   load %8.3f s   raw read %7.3f s   load/raw %5.2f   "
                     "peak %8.1f MB = %4.2f x file  (budget 1.3 x file + 50 MB = %.1f MB: %s)\n",
                     label, mb (size), load, raw, load / raw, mb (peak), (double) peak / (double) size,
                     budget / 1e6, (double) peak <= budget ? "within" : "over");
        std::fflush (stdout);
    }
}

int main (int argc, char* argv[])
{
    if (argc == 3 && juce::String (argv[1]) == "--raw-read-only")
        return bestRawRead (juce::File (juce::String (juce::CharPointer_UTF8 (argv[2]))), 1) < 1e9 ? 0 : 1;

    if (argc == 3 && juce::String (argv[1]) == "--load-only")
    {
        MshMesh mesh;
        return mshLoadFile (mesh, juce::File (juce::String (juce::CharPointer_UTF8 (argv[2])))) ? 0 : 1;
    }

    const juce::String first = argc > 1 ? argv[1] : "";

    if (first == "--help" || first == "-h")
        return std::printf ("usage: bench_reader [FOLDER]   the big files are written into FOLDER (default: a temporary one)\n") > 0
                   && std::fflush (stdout) == 0 ? 0 : 2;

    if (argc > 2 || first.startsWith ("-"))
        return std::fprintf (stderr, "usage: bench_reader [FOLDER]\n"), 64;

    const bool temporary = argc < 2;
    const auto folder = temporary ? juce::File::createTempFile ("msh-bench")
                                  : juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    if (const auto made = folder.createDirectory(); made.failed())
        return std::fprintf (stderr, "bench_reader: cannot make %s: %s\n", folder.getFullPathName().toRawUTF8(), made.getErrorMessage().toRawUTF8()), 1;

    struct Case { const char* label; const char* name; std::function<void (MshMesh&)> build; };
    const Case cases[] = {
        { "vertex-heavy ~200 MB", "vertex-heavy.msh", [] (MshMesh& m) { buildVertexHeavy (m, 200'000'000); } },
        { "100,000 objects", "objects-100k.msh", [] (MshMesh& m) { buildManyObjects (m, 100'000); } },
        { "1,000,000 deep", "deep-1m.msh", [] (MshMesh& m) { buildDeepChain (m, 1'000'000); } },
    };

    std::printf ("best of 3 runs, warm page cache; raw read = the same bytes into fresh memory\n");

    // First, while this process is small: a child's peak memory counts the pages it was forked with.
    std::fflush (stdout);
    measureBlender (folder);

    for (auto& c : cases)
    {
        const auto file = folder.getChildFile (c.name);

        if (! file.existsAsFile())
        {
            MshMesh mesh;
            c.build (mesh);
            if (const auto written = mshWriteToFile (mesh, file); ! written.ok())
            {
                std::fprintf (stderr, "bench_reader: %s\n", written.message().toRawUTF8());
                return 1;
            }
        }

        measure (argv[0], c.label, file, 3);

        if (std::string (c.name) == "vertex-heavy.msh")
            measureTools (argv[0], file);
    }

    if (temporary)
        folder.deleteRecursively();

    return 0;
}
