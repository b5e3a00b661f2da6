#pragma once

#include <memory>

// Releases a C library's handle with that library's own function.
template <auto release>
struct ReleaseWith {
    template <typename T>
    void operator()(T* handle) const
    {
        release(handle);
    }
};

// The single owner of a C library's handle: it can be moved but not copied, and releases
// the handle when it goes. Each folder names the owners it uses.
template <typename T, auto release>
using UniqueHandle = std::unique_ptr<T, ReleaseWith<release>>;
