// Tolmar MSH Viewer - mshinfo's reports on one loaded (or not loaded) file.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "InfoReport.h"
#include "msh/FlagLines.h"
#include "msh/MshGeometry.h"
#include "msh/MshReader.h"
#include "msh/WarningText.h"

#include <charconv>
#include <cmath>

void MshInfoLoad::load (MshMesh& mesh, const juce::File& path)
{
    warnings.clear();
    warningCount = 0;
    MshBoxesWhileLoading boxMaker;

    read = mshLoadFile (mesh, path, [this] (const MshWarning& warning)
    {
        if (warningCount++ < maxKeptWarnings)
            warnings.push_back (warning);
    },
    boxMaker.handler());

    boxes = boxMaker.finish();
}

int MshInfoLoad::exitStatus() const noexcept
{
    return ! read ? 2 : (warningCount > 0 ? 1 : 0);
}

namespace
{
    // The box the load made for the object at index, or one made now.
    MshObjectBox boxAt (const MshInfoLoad& load, juce::int64 index, const MshObject& object)
    {
        return (size_t) index < load.boxes.size() ? load.boxes[(size_t) index] : mshObjectBox (object);
    }

    struct ListCount { const char* name; size_t count; };

    std::vector<ListCount> listCounts (const MshMesh& mesh)
    {
        return { { "list12A", mesh.list12A.size() },         { "list12B", mesh.list12B.size() },
                 { "list8", mesh.list8.size() },             { "list4", mesh.list4.size() },
                 { "list20", mesh.list20.size() },           { "tripleEntries", mesh.tripleEntries.size() },
                 { "pairSets", mesh.pairSets.size() },       { "quadEntries", mesh.quadEntries.size() },
                 { "shortList", mesh.shortList.size() },     { "list16", mesh.list16.size() },
                 { "list64", mesh.list64.size() },           { "record36List", mesh.record36List.size() },
                 { "namedGroups", mesh.namedGroups.size() } };
    }

    //==============================================================================
    // Shortest text that reads back as the same float32.
    void writeFloatText (std::ostream& out, float value)
    {
        char text[32];
        const auto result = std::to_chars (text, text + sizeof (text), value);
        out.write (text, result.ptr - text);
    }

    // NaN and infinities have no JSON number.
    void writeJsonFloat (std::ostream& out, float value)
    {
        if (std::isfinite (value))
            writeFloatText (out, value);
        else
            out << "null";
    }

    // Three values as text, "(x, y, z)", or as a JSON array, "[x,y,z]".
    void writeTriple (std::ostream& out, bool json, const std::array<double, 3>& values)
    {
        const auto write = json ? writeJsonFloat : writeFloatText;
        out << (json ? "[" : "(");

        for (size_t i = 0; i < 3; ++i)
        {
            out << (i == 0 ? "" : json ? "," : ", ");
            write (out, (float) values[i]);
        }

        out << (json ? "]" : ")");
    }

    // The model's text (U+0000 to U+00FF) in double quotes as UTF-8; a character for which escape writes
    // a replacement into its buffer is written as that instead.
    template <typename Escape>
    void writeQuoted (std::ostream& out, const juce::String& text, Escape&& escape)
    {
        out << '"';

        for (auto p = text.getCharPointer(); ! p.isEmpty();)
        {
            const auto c = p.getAndAdvance();
            char buffer[8] = {};

            if (escape ((juce::uint32) c, buffer))
            {
                out << buffer;
            }
            else
            {
                const auto size = juce::CharPointer_UTF8::getBytesRequiredFor (c);
                juce::CharPointer_UTF8 (buffer).write (c);
                out.write (buffer, (std::streamsize) size);
            }
        }

        out << '"';
    }

    void writeJsonString (std::ostream& out, const juce::String& text)
    {
        writeQuoted (out, text, [] (juce::uint32 c, char* buffer)
        {
            switch (c)
            {
                case '"':  std::strcpy (buffer, "\\\""); return true;
                case '\\': std::strcpy (buffer, "\\\\"); return true;
                case '\n': std::strcpy (buffer, "\\n"); return true;
                case '\r': std::strcpy (buffer, "\\r"); return true;
                case '\t': std::strcpy (buffer, "\\t"); return true;
                default:    break;
            }

            return c < 0x20 && std::snprintf (buffer, 8, "\\u%04x", (unsigned) c) > 0;
        });
    }

    // Text for a terminal: control characters shown as \xNN.
    void writeQuotedText (std::ostream& out, const juce::String& text)
    {
        writeQuoted (out, text, [] (juce::uint32 c, char* buffer)
        {
            return (c < 0x20 || c == 0x7f) && std::snprintf (buffer, 8, "\\x%02x", (unsigned) c) > 0;
        });
    }

    // The next character of UTF-8 bytes at p (advanced past it), or -1 (p advanced one byte) for a byte
    // that starts no valid character.
    juce::int64 nextCharacter (const unsigned char*& p)
    {
        const auto lead = *p++;
        const auto extra = lead < 0x80 ? 0 : lead >= 0xc2 && lead < 0xe0 ? 1 : lead >= 0xe0 && lead < 0xf0 ? 2 : lead >= 0xf0 && lead < 0xf5 ? 3 : -1;

        if (extra <= 0)
            return extra == 0 ? lead : -1;

        juce::int64 c = lead & (0x3f >> extra);

        for (int i = 0; i < extra; ++i)
        {
            if ((p[i] & 0xc0) != 0x80)
                return -1;

            c = (c << 6) | (p[i] & 0x3f);
        }

        // Not longer than needed, no surrogate halves, nothing past U+10FFFF.
        if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10ffff)) || (c >= 0xd800 && c < 0xe000))
            return -1;

        p += extra;
        return c;
    }

    // A file name as the system gave its bytes: valid UTF-8 as it is, control characters escaped, and each
    // other byte U+FFFD in JSON or \xNN in text. True when every byte was valid UTF-8.
    bool writeFileName (std::ostream& out, const char* name, bool json)
    {
        bool valid = true;
        out << (json ? "\"" : "");

        for (auto* p = reinterpret_cast<const unsigned char*> (name); *p != 0;)
        {
            const auto* start = p;
            const auto c = nextCharacter (p);
            char buffer[16] = {};

            if (c < 0)
            {
                valid = false;
                std::snprintf (buffer, sizeof (buffer), json ? "\\ufffd" : "\\x%02x", (unsigned) *start);
            }
            else if (json && (c == '"' || c == '\\'))
                std::snprintf (buffer, sizeof (buffer), "\\%c", (char) c);
            else if (c < 0x20 || (! json && c >= 0x7f && c < 0xa0))
                std::snprintf (buffer, sizeof (buffer), json ? "\\u%04x" : "\\x%02x", (unsigned) c);

            if (buffer[0] != 0)
                out << buffer;
            else
                out.write (reinterpret_cast<const char*> (start), p - start);
        }

        out << (json ? "\"" : "");
        return valid;
    }

    const char* kindName (MshWarning::Kind kind)
    {
        return kind == MshWarning::Kind::fileEnd ? "fileEnd" : "objectEnd";
    }
}

//==============================================================================
void writeTextReport (std::ostream& out, const MshMesh& mesh, const MshInfoLoad& load)
{
    out << "file: ";
    writeFileName (out, load.file.toRawUTF8(), false);
    out << "\n";

    if (! load.read)
    {
        out << "not loaded: " << load.read.message() << "\n";
        return;
    }

    out << "loaded, " << load.warningCount << (load.warningCount == 1 ? " warning" : " warnings") << "\n";
    out << "header string: ";
    writeQuotedText (out, mesh.headerString);
    out << "\nheader float: ";
    writeFloatText (out, mesh.headerFloat);
    out << "\nheader ints:";

    for (auto value : mesh.headerInts)
        out << ' ' << value;

    out << "\ncamera words: word0 ";
    writeFloatText (out, mesh.headerWord (0));
    out << ", word18 ";
    writeFloatText (out, mesh.headerWord (18));
    out << ", word19 ";
    writeFloatText (out, mesh.headerWord (19));
    out << "\nlists:";

    const auto lists = listCounts (mesh);

    for (size_t i = 0; i < lists.size(); ++i)
        out << (i > 0 ? ", " : " ") << lists[i].name << ' ' << lists[i].count;

    const auto totals = mshTotals (mesh.root, load.boxes);
    out << "\ntotals: " << totals.objects << " objects, " << totals.vertices << " vertices, " << totals.trianglesDrawn
        << " triangles drawn, " << totals.trianglesLeftOut << " left out\nbounds: ";

    if (totals.bounds.empty)
        out << "nothing drawn";
    else
    {
        writeTriple (out, false, totals.bounds.min);
        out << " to ";
        writeTriple (out, false, totals.bounds.max);
    }

    out << "\n";

    for (auto& warning : load.warnings)
    {
        out << "warning: " << mshWarningText (warning) << "\n";
    }

    if (load.warningCount > load.warnings.size())
        out << "(" << (load.warningCount - load.warnings.size()) << " more warnings)\n";

    out << "objects:\n";

    mshForEachObject (mesh.root, true, [&out, &load] (const MshObject& object, int depth, juce::int64, juce::int64 index)
    {
        // Indented by depth up to a point, so a file a million levels deep does not print terabytes.
        constexpr int maxIndentedDepth = 32;
        out << std::string ((size_t) juce::jmin (depth, maxIndentedDepth) * 2 + 2, ' ');

        if (depth > maxIndentedDepth)
            out << "[depth " << depth << "] ";

        writeQuotedText (out, object.name);
        out << "  flags 0x" << lowerHex (object.flags);

        juce::StringArray named;

        for (auto& line : flagsMenuLines (object.flags, object.isHp))
            if (line.kind == FlagsMenuLine::Kind::named)
                named.add (line.text);

        if (! named.isEmpty())
            out << " (" << named.joinIntoString (", ") << ")";

        out << "  translation ";
        writeTriple (out, false, { object.matrix[12], object.matrix[13], object.matrix[14] });
        out << "  vertices " << object.vertices.size() << "  triangles " << object.indices.size() / 3;

        if (const auto bad = boxAt (load, index, object).badIndices; bad > 0)
            out << "  bad indices " << bad;

        out << "\n";
    });
}

void writeJsonReport (std::ostream& out, const MshMesh& mesh, const MshInfoLoad& load)
{
    out << "{\"file\":";

    if (! writeFileName (out, load.file.toRawUTF8(), true)) // and the bytes themselves, for a script to find the file by
        out << ",\"fileBytes\":\"" << juce::Base64::toBase64 (load.file.toRawUTF8(), std::strlen (load.file.toRawUTF8())) << "\"";

    out << ",\"loaded\":" << (load.read ? "true" : "false") << ",\"error\":";

    if (load.read)
        out << "null";
    else
        writeJsonString (out, load.read.message());

    out << ",\"warnings\":" << load.warningCount << ",\"warningDetails\":[";

    for (size_t i = 0; i < load.warnings.size(); ++i)
    {
        auto& warning = load.warnings[i];
        out << (i > 0 ? "," : "") << "{\"kind\":\"" << kindName (warning.kind) << "\",\"offset\":" << warning.offset
            << ",\"found\":" << warning.found << ",\"object\":";
        writeJsonString (out, warning.objectName);
        out << "}";
    }

    out << "]";

    if (! load.read)
    {
        out << "}\n";
        return;
    }

    out << ",\"headerString\":";
    writeJsonString (out, mesh.headerString);
    out << ",\"headerFloat\":";
    writeJsonFloat (out, mesh.headerFloat);
    out << ",\"headerInts\":[";

    for (size_t i = 0; i < mesh.headerInts.size(); ++i)
        out << (i > 0 ? "," : "") << mesh.headerInts[i];

    out << "],\"camera\":{\"word0\":";
    writeJsonFloat (out, mesh.headerWord (0));
    out << ",\"word18\":";
    writeJsonFloat (out, mesh.headerWord (18));
    out << ",\"word19\":";
    writeJsonFloat (out, mesh.headerWord (19));
    out << "},\"lists\":{";

    bool first = true;

    for (auto& list : listCounts (mesh))
    {
        out << (first ? "" : ",") << '"' << list.name << "\":" << list.count;
        first = false;
    }

    const auto totals = mshTotals (mesh.root, load.boxes);
    out << "},\"totals\":{\"objects\":" << totals.objects << ",\"vertices\":" << totals.vertices << ",\"trianglesDrawn\":"
        << totals.trianglesDrawn << ",\"trianglesLeftOut\":" << totals.trianglesLeftOut << "},\"bounds\":";

    if (totals.bounds.empty)
        out << "null";
    else
    {
        out << "{\"min\":";
        writeTriple (out, true, totals.bounds.min);
        out << ",\"max\":";
        writeTriple (out, true, totals.bounds.max);
        out << "}";
    }

    out << ",\"objects\":[";

    mshForEachObject (mesh.root, true, [&out, &load] (const MshObject& object, int depth, juce::int64 parent, juce::int64 index)
    {
        out << (index > 0 ? "," : "") << "{\"name\":";
        writeJsonString (out, object.name);
        out << ",\"depth\":" << depth << ",\"parent\":" << parent << ",\"flags\":" << object.flags
            << ",\"isHp\":" << (object.isHp ? "true" : "false") << ",\"valueA\":" << object.valueA
            << ",\"valueB\":" << object.valueB << ",\"translation\":";
        writeTriple (out, true, { object.matrix[12], object.matrix[13], object.matrix[14] });
        out << ",\"vertices\":" << object.vertices.size() << ",\"indices\":" << object.indices.size()
            << ",\"triangles\":" << object.indices.size() / 3 << ",\"badIndices\":" << boxAt (load, index, object).badIndices << "}";
    });

    out << "]}\n";
}
