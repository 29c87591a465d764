#pragma once
// One owner for every kind of handle: move-only, so each handle it takes is given to
// its deleter exactly once. `Handle{}` (a null pointer, or 0) means "holds nothing".
#include <utility>

template <typename Handle, typename Deleter>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }

    // Gives up ownership: the caller deletes the handle now.
    Handle release() noexcept { return std::exchange(handle_, Handle{}); }

    // Deletes the held handle, if any, and takes `handle`.
    void reset(Handle handle = Handle{}) noexcept
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Handle{})
            Deleter{}(old);
    }

private:
    Handle handle_ = Handle{};
};
