// Tolmar MSH Viewer - a .glb or .gltf file read into tinygltf's model, lean enough for files of hundreds
// of megabytes of kept geometry.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "GltfReading.h"
#include "exchange/Base64.h"
#include "exchange/ExportParts.h"
#include "msh/SafeFiles.h"

#include <nlohmann/json.hpp>

#include <cstring>

namespace
{
    // Reads size bytes from the stream's position on; false when the file ends first.
    bool readExactly (juce::InputStream& in, std::vector<unsigned char>& bytes, size_t size)
    {
        bytes.resize (size);

        for (size_t done = 0; done < size;)
        {
            const auto got = in.read (bytes.data() + done, (int) std::min<size_t> (size - done, 1 << 30));

            if (got <= 0)
                return false;

            done += (size_t) got;
        }

        return true;
    }

    juce::uint32 word (const unsigned char* p)
    {
        return (juce::uint32) p[0] | (juce::uint32) p[1] << 8 | (juce::uint32) p[2] << 16 | (juce::uint32) p[3] << 24;
    }

    // The end of the JSON string that starts at the quote at from (one past its closing quote), or npos.
    size_t stringEnd (const char* json, size_t size, size_t from)
    {
        for (auto i = from + 1; i < size;)
        {
            const auto* stop = static_cast<const char*> (std::memchr (json + i, '"', size - i));

            if (stop == nullptr)
                return std::string::npos;

            // A quote with an odd number of backslashes before it is part of the text.
            size_t slashes = 0;
            for (auto at = (size_t) (stop - json); at > i + slashes && json[at - 1 - slashes] == '\\';)
                ++slashes;

            i = (size_t) (stop - json) + 1;

            if (slashes % 2 == 0)
                return i;
        }

        return std::string::npos;
    }

    // The JSON with the value of every "mshGeometry" member taken out: "#N" instead, its bytes in
    // geometry[N]. Text that is no JSON stays as it is, for the parser to say so.
    std::string withoutKeptGeometry (const char* json, size_t size, GltfFile& file)
    {
        const std::string key = std::string ("\"") + GltfExtras::geometry + "\"";
        std::string slim;
        slim.reserve (std::min<size_t> (size, 1 << 20));
        size_t copied = 0;

        for (size_t i = 0; i < size;)
        {
            const auto* quote = static_cast<const char*> (std::memchr (json + i, '"', size - i));

            if (quote == nullptr)
                break;

            const auto start = (size_t) (quote - json), end = stringEnd (json, size, start);

            if (end == std::string::npos)
                break;

            i = end;

            if (end - start != key.size() || std::memcmp (json + start, key.data(), key.size()) != 0)
                continue;

            // A key: a colon follows it, then (for ours) a string.
            auto at = end;
            while (at < size && std::isspace ((unsigned char) json[at]))
                ++at;
            if (at >= size || json[at] != ':')
                continue;
            do ++at; while (at < size && std::isspace ((unsigned char) json[at]));
            if (at >= size || json[at] != '"')
                continue;

            const auto valueEnd = stringEnd (json, size, at);

            if (valueEnd == std::string::npos)
                break;

            file.geometry.push_back (base64Decode (json + at + 1, valueEnd - at - 2));
            slim.append (json + copied, at - copied);
            slim += "\"#" + std::to_string (file.geometry.size() - 1) + "\"";
            copied = i = valueEnd;
        }

        slim.append (json + copied, size - copied);
        return slim;
    }

    // Why an extension the file requires cannot be read, before tinygltf tries: compressed geometry would
    // only give its byte counts to complain of. Quantized geometry is plain accessors, and read.
    juce::String unreadableExtension (const std::string& json)
    {
        try
        {
            const auto document = nlohmann::json::parse (json);

            if (! document.is_object() || ! document.contains ("extensionsRequired") || ! document["extensionsRequired"].is_array())
                return {};

            for (const auto& required : document["extensionsRequired"])
            {
                const auto name = required.is_string() ? required.get<std::string>() : std::string ("?");

                if (name == "KHR_draco_mesh_compression" || name == "EXT_meshopt_compression" || name == "KHR_meshopt_compression")
                    return "compressed geometry (" + juce::String (name) + ") cannot be read: write it uncompressed";

                if (name != "KHR_mesh_quantization")
                    return "an extension it needs (" + juce::String (name) + ") cannot be read";
            }
        }
        catch (const nlohmann::json::exception&)
        {
            // broken JSON: tinygltf says where
        }

        return {};
    }

    // Where tinygltf reads files: the .glb's binary chunk under a name nothing else has, and every file
    // a glTF names as a regular file only (a FIFO would keep it waiting for ever).
    struct Files
    {
        juce::File folder;
        std::string chunkName;
        std::vector<unsigned char> chunk;
        juce::int64 otherBytes = 0;

        bool isChunk (const std::string& path) const
        {
            return ! chunkName.empty() && path.size() >= chunkName.size() && path.compare (path.size() - chunkName.size(), chunkName.size(), chunkName) == 0;
        }

        static bool exists (const std::string& path, void* user)
        {
            return static_cast<Files*> (user)->isChunk (path) || juce::File::isAbsolutePath (juce::String::fromUTF8 (path.c_str()));
        }

        static std::string expand (const std::string& path, void*)    { return path; }

        static bool readWhole (std::vector<unsigned char>* out, std::string* error, const std::string& path, void* user)
        {
            auto& files = *static_cast<Files*> (user);

            if (files.isChunk (path))
            {
                out->swap (files.chunk);
                return true;
            }

            // tinygltf names the file as the folder, a slash and the uri (decoded).
            const auto prefix = files.folder.getFullPathName().toStdString() + "/";
            const auto named = path.compare (0, prefix.size(), prefix) == 0 ? fileInside (files.folder, juce::String::fromUTF8 (path.c_str() + prefix.size()))
                                                                               : Expected<juce::File> (Failure { Failure::Kind::outside, "is no file in the glTF's folder" });
            const auto stream = named ? openInputFile (*named) : Expected<std::unique_ptr<juce::InputStream>> (named.failure());
            juce::String reason = stream ? "cannot read it" : stream.message();

            try
            {
                if (stream && readExactly (**stream, *out, (size_t) (*stream)->getTotalLength()))
                {
                    files.otherBytes += (juce::int64) out->size();
                    return true;
                }
            }
            catch (const std::bad_alloc&)
            {
                reason = "not enough memory to read its " + juce::String ((*stream)->getTotalLength()) + " bytes";
            }

            *error = reason.toStdString();
            return false;
        }

        static bool writeWhole (std::string*, const std::string&, const std::vector<unsigned char>&, void*)    { return false; }
    };
}

Expected<GltfFile> readGltfFile (const juce::File& source)
{
    // A set of files is read whole, not while another program puts a new one in its place.
    const FolderLock reading (source.getParentDirectory(), false);
    const auto opened = openInputFile (source);

    if (! opened)
        return opened.failure();

    auto& stream = *opened;
    const auto malformed = [] (const juce::String& why) { return Failure { Failure::Kind::malformed, why }; };
    GltfFile file;

    Files files;
    files.folder = source.getParentDirectory();
    std::vector<unsigned char> bytes;
    std::string json;
    const auto size = (juce::uint64) stream->getTotalLength();

    if (source.hasFileExtension ("glb"))
    {
        // The header and the JSON chunk first; the binary chunk is read once the JSON is slim.
        std::vector<unsigned char> head;

        if (! readExactly (*stream, head, 20) || word (head.data()) != 0x46546C67 || word (head.data() + 16) != 0x4E4F534A)
            return malformed ("not a binary glTF file (its first bytes are no glTF header and JSON chunk)");

        const auto jsonSize = (juce::uint64) word (head.data() + 12);

        if (word (head.data() + 4) != 2 || 20 + jsonSize > size || ! readExactly (*stream, bytes, (size_t) jsonSize))
            return malformed ("not a binary glTF 2.0 file, or cut short (its JSON chunk reaches past its end)");

        json = withoutKeptGeometry (reinterpret_cast<const char*> (bytes.data()), bytes.size(), file);
        std::vector<unsigned char>().swap (bytes);

        if (20 + jsonSize + 8 <= size)
        {
            std::vector<unsigned char> chunkHead;
            const auto binarySize = readExactly (*stream, chunkHead, 8) ? (juce::uint64) word (chunkHead.data()) : 0;

            if (word (chunkHead.data() + 4) == 0x004E4942 && 28 + jsonSize + binarySize <= size)
            {
                // Named as a file the JSON's first buffer points to (a .glb's has no uri).
                try
                {
                    auto document = nlohmann::json::parse (json);

                    if (document.contains ("buffers") && document["buffers"].is_array() && ! document["buffers"].empty()
                        && document["buffers"][0].is_object() && ! document["buffers"][0].contains ("uri"))
                    {
                        files.chunkName = "glb-binary-chunk-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()).toStdString();
                        document["buffers"][0]["uri"] = files.chunkName;
                        const auto length = document["buffers"][0].value ("byteLength", (juce::uint64) 0);

                        if (! readExactly (*stream, files.chunk, (size_t) binarySize))
                            return malformed ("cut short: its binary chunk reaches past its end");

                        files.chunk.resize (std::min<size_t> (files.chunk.size(), (size_t) length)); // the chunk's padding
                        json = document.dump();
                    }
                }
                catch (const nlohmann::json::exception& e)
                {
                    return malformed (juce::String ("its JSON cannot be read: ") + e.what());
                }
            }
        }
    }
    else if (! readExactly (*stream, bytes, (size_t) size))
    {
        return Failure { Failure::Kind::ioFailed, "cannot read it" };
    }
    else
    {
        json = withoutKeptGeometry (reinterpret_cast<const char*> (bytes.data()), bytes.size(), file);
        std::vector<unsigned char>().swap (bytes);
    }

    if (const auto refused = unreadableExtension (json); refused.isNotEmpty())
        return Failure { Failure::Kind::unsupported, refused };

    tinygltf::TinyGLTF loader;
    loader.SetStoreOriginalJSONForExtrasAndExtensions (true); // small: the kept geometry is out of the JSON by now
    loader.SetFsCallbacks ({ &Files::exists, &Files::expand, &Files::readWhole, &Files::writeWhole, &files });

    // The images are not looked at, only found: the view has a texture of its own.
    loader.SetImageLoader ([] (tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) { return true; }, nullptr);
    std::string error, warning;
    const auto folder = source.getParentDirectory().getFullPathName().toStdString();

    if (! loader.LoadASCIIFromString (&file.model, &error, &warning, json.data(), (unsigned int) json.size(), folder)
        || warning.find ("Failed to load external") != std::string::npos)
        return malformed (juce::String (error + warning).trim().replace ("\n", "; "));

    file.otherFilesBytes = files.otherBytes;
    return file;
}
