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

    // Where count elements of size bytes, stride apart, start in a buffer view, once checked: nullptr
    // (and why) when they do not all lie in it.
    const unsigned char* elements (const tinygltf::Model& model, int viewIndex, size_t offset, size_t count, size_t size,
                                   size_t& stride, juce::String& error)
    {
        if (viewIndex < 0 || (size_t) viewIndex >= model.bufferViews.size())
            return error = "an accessor's buffer view " + juce::String (viewIndex) + " does not exist", nullptr;

        const auto& view = model.bufferViews[(size_t) viewIndex];

        if (view.buffer < 0 || (size_t) view.buffer >= model.buffers.size()
            || view.byteOffset > model.buffers[(size_t) view.buffer].data.size()
            || view.byteLength > model.buffers[(size_t) view.buffer].data.size() - view.byteOffset)
            return error = "buffer view " + juce::String (viewIndex) + " reaches past its buffer", nullptr;

        stride = view.byteStride != 0 ? view.byteStride : size;

        // Division, not multiplication, so no count can wrap past the check.
        if (count > 0 && (offset > view.byteLength || view.byteLength - offset < size || (count - 1) > (view.byteLength - offset - size) / stride))
            return error = "an accessor claims " + juce::String ((juce::int64) count) + " elements, more than buffer view "
                         + juce::String (viewIndex) + " holds", nullptr;

        return model.buffers[(size_t) view.buffer].data.data() + view.byteOffset + offset;
    }

    template <typename T>
    bool read (const tinygltf::Model& model, int index, int components, std::vector<T>& out, juce::String& error)
    {
        if (index < 0 || (size_t) index >= model.accessors.size())
            return error = "accessor " + juce::String (index) + " does not exist", false;

        const auto& a = model.accessors[(size_t) index];
        const auto size = componentSize (a.componentType);
        const auto isFloat = std::is_same_v<T, float>;

        if (size == 0 || tinygltf::GetNumComponentsInType ((juce::uint32) a.type) != components
            || (! isFloat && (a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT || a.componentType == TINYGLTF_COMPONENT_TYPE_BYTE
                              || a.componentType == TINYGLTF_COMPONENT_TYPE_SHORT)))
            return error = "accessor " + juce::String (index) + " is not of the type its use needs", false;

        out.assign (a.count * (size_t) components, T()); // no buffer view: zeros, unless sparse values come
        size_t stride = 0;

        if (a.bufferView >= 0)
        {
            const auto* p = elements (model, a.bufferView, a.byteOffset, a.count, size * (size_t) components, stride, error);

            if (p == nullptr)
                return false;

            for (size_t e = 0; e < a.count; ++e, p += stride)
                for (size_t c = 0; c < (size_t) components; ++c)
                    out[e * (size_t) components + c] = component<T> (p + c * size, a.componentType, a.normalized);
        }

        if (! a.sparse.isSparse)
            return true;

        const auto count = (size_t) std::max (0, a.sparse.count);
        const auto indexType = a.sparse.indices.componentType;
        size_t indexStride = 0, valueStride = 0;
        const auto* indices = elements (model, a.sparse.indices.bufferView, (size_t) std::max (0, a.sparse.indices.byteOffset), count,
                                        componentSize (indexType), indexStride, error);
        const auto* values = indices == nullptr ? nullptr
                           : elements (model, a.sparse.values.bufferView, (size_t) std::max (0, a.sparse.values.byteOffset), count,
                                       size * (size_t) components, valueStride, error);

        if (values == nullptr || indexType == TINYGLTF_COMPONENT_TYPE_FLOAT || componentSize (indexType) == 0)
            return error.isEmpty() ? (error = "accessor " + juce::String (index) + " has sparse indices of a wrong type", false) : false;

        // Sparse elements are tightly packed whatever the views say.
        indexStride = componentSize (indexType);
        valueStride = size * (size_t) components;

        for (size_t s = 0; s < count; ++s)
        {
            const auto target = component<juce::uint32> (indices + s * indexStride, indexType, false);

            if (target >= a.count)
                return error = "a sparse value of accessor " + juce::String (index) + " lies past its elements", false;

            for (size_t c = 0; c < (size_t) components; ++c)
                out[target * (size_t) components + c] = component<T> (values + s * valueStride + c * size, a.componentType, a.normalized);
        }

        return true;
    }
}

bool readAccessor (const tinygltf::Model& model, int index, int components, std::vector<float>& out, juce::String& error)
{
    return read (model, index, components, out, error);
}

bool readAccessor (const tinygltf::Model& model, int index, int components, std::vector<juce::uint32>& out, juce::String& error)
{
    return read (model, index, components, out, error);
}

juce::uint64 accessorClaim (const tinygltf::Model& model, int index)
{
    if (index < 0 || (size_t) index >= model.accessors.size())
        return 0;

    const auto& a = model.accessors[(size_t) index];
    return (juce::uint64) a.count * (juce::uint64) std::max (1, tinygltf::GetNumComponentsInType ((juce::uint32) a.type)) * 4;
}
