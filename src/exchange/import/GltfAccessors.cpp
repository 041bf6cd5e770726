// Tolmar MSH Viewer - the values of glTF accessors, checked against the bytes that hold them.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "GltfAccessors.h"

#include <cmath>

namespace
{
    size_t componentSize (int type)
    {
        switch (type)
        {
            case TINYGLTF_COMPONENT_TYPE_BYTE:
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:  return 1;
            case TINYGLTF_COMPONENT_TYPE_SHORT:
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
            case TINYGLTF_COMPONENT_TYPE_FLOAT:          return 4;
            default:                                     return 0;
        }
    }

    // One component at p, little-endian as glTF stores it, as what T holds.
    template <typename T>
    T component (const unsigned char* p, int type, bool normalized)
    {
        const auto u16 = [p] { return (juce::uint16) (p[0] | (p[1] << 8)); };
        const auto u32 = [p] { return (juce::uint32) p[0] | ((juce::uint32) p[1] << 8) | ((juce::uint32) p[2] << 16) | ((juce::uint32) p[3] << 24); };

        switch (type)
        {
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:  return normalized ? (T) (p[0] / 255.0f) : (T) p[0];
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return normalized ? (T) (u16() / 65535.0f) : (T) u16();
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:   return (T) u32();
            case TINYGLTF_COMPONENT_TYPE_BYTE:           return normalized ? (T) std::max ((juce::int8) p[0] / 127.0f, -1.0f) : (T) (juce::int8) p[0];
            case TINYGLTF_COMPONENT_TYPE_SHORT:          return normalized ? (T) std::max ((juce::int16) u16() / 32767.0f, -1.0f) : (T) (juce::int16) u16();
            case TINYGLTF_COMPONENT_TYPE_FLOAT:          { const auto bits = u32(); float f; std::memcpy (&f, &bits, 4); return (T) f; }
            default:                                     return T();
        }
    }

    Failure malformed (const juce::String& why)   { return { Failure::Kind::malformed, why }; }

    // Where count elements of size bytes start in a buffer view, and the stride between them, once checked
    // that they all lie in it.
    struct Elements
    {
        const unsigned char* first;
        size_t stride;
    };

    Expected<Elements> elements (const tinygltf::Model& model, int viewIndex, size_t offset, size_t count, size_t size)
    {
        if (viewIndex < 0 || (size_t) viewIndex >= model.bufferViews.size())
            return malformed ("an accessor's buffer view " + juce::String (viewIndex) + " does not exist");

        const auto& view = model.bufferViews[(size_t) viewIndex];

        if (view.buffer < 0 || (size_t) view.buffer >= model.buffers.size()
            || view.byteOffset > model.buffers[(size_t) view.buffer].data.size()
            || view.byteLength > model.buffers[(size_t) view.buffer].data.size() - view.byteOffset)
            return malformed ("buffer view " + juce::String (viewIndex) + " reaches past its buffer");

        const auto stride = view.byteStride != 0 ? view.byteStride : size;

        // Division, not multiplication, so no count can wrap past the check.
        if (count > 0 && (offset > view.byteLength || view.byteLength - offset < size || (count - 1) > (view.byteLength - offset - size) / stride))
            return malformed ("an accessor claims " + juce::String ((juce::int64) count) + " elements, more than buffer view " + juce::String (viewIndex) + " holds");

        return Elements { model.buffers[(size_t) view.buffer].data.data() + view.byteOffset + offset, stride };
    }

    template <typename T>
    Expected<std::vector<T>> read (const tinygltf::Model& model, int index, int components)
    {
        if (index < 0 || (size_t) index >= model.accessors.size())
            return malformed ("accessor " + juce::String (index) + " does not exist");

        const auto& a = model.accessors[(size_t) index];
        const auto size = componentSize (a.componentType);
        const auto isFloat = std::is_same_v<T, float>;

        if (size == 0 || tinygltf::GetNumComponentsInType ((juce::uint32) a.type) != components
            || (! isFloat && (a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT || a.componentType == TINYGLTF_COMPONENT_TYPE_BYTE
                              || a.componentType == TINYGLTF_COMPONENT_TYPE_SHORT)))
            return malformed ("accessor " + juce::String (index) + " is not of the type its use needs");

        std::vector<T> out (a.count * (size_t) components, T()); // no buffer view: zeros, unless sparse values come

        if (a.bufferView >= 0)
        {
            const auto view = elements (model, a.bufferView, a.byteOffset, a.count, size * (size_t) components);

            if (! view)
                return view.failure();

            auto* p = view->first;

            for (size_t e = 0; e < a.count; ++e, p += view->stride)
                for (size_t c = 0; c < (size_t) components; ++c)
                    out[e * (size_t) components + c] = component<T> (p + c * size, a.componentType, a.normalized);
        }

        if (! a.sparse.isSparse)
            return out;

        const auto count = (size_t) std::max (0, a.sparse.count);
        const auto indexType = a.sparse.indices.componentType;

        if (indexType == TINYGLTF_COMPONENT_TYPE_FLOAT || componentSize (indexType) == 0)
            return malformed ("accessor " + juce::String (index) + " has sparse indices of a wrong type");

        const auto indices = elements (model, a.sparse.indices.bufferView, (size_t) std::max (0, a.sparse.indices.byteOffset), count, componentSize (indexType));

        if (! indices)
            return indices.failure();

        const auto values = elements (model, a.sparse.values.bufferView, (size_t) std::max (0, a.sparse.values.byteOffset), count, size * (size_t) components);

        if (! values)
            return values.failure();

        // Sparse elements are tightly packed whatever the views say.
        const auto indexStride = componentSize (indexType), valueStride = size * (size_t) components;

        for (size_t s = 0; s < count; ++s)
        {
            const auto target = component<juce::uint32> (indices->first + s * indexStride, indexType, false);

            if (target >= a.count)
                return malformed ("a sparse value of accessor " + juce::String (index) + " lies past its elements");

            for (size_t c = 0; c < (size_t) components; ++c)
                out[target * (size_t) components + c] = component<T> (values->first + s * valueStride + c * size, a.componentType, a.normalized);
        }

        return out;
    }
}

Expected<std::vector<float>> readValues (const tinygltf::Model& model, int index, int components)
{
    return read<float> (model, index, components);
}

Expected<std::vector<juce::uint32>> readIndices (const tinygltf::Model& model, int index)
{
    return read<juce::uint32> (model, index, 1);
}

juce::uint64 accessorClaim (const tinygltf::Model& model, int index)
{
    if (index < 0 || (size_t) index >= model.accessors.size())
        return 0;

    const auto& a = model.accessors[(size_t) index];
    return (juce::uint64) a.count * (juce::uint64) std::max (1, tinygltf::GetNumComponentsInType ((juce::uint32) a.type)) * 4;
}
