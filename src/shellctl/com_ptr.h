#pragma once
// Holds one reference to a COM interface and releases it on every path.
#include <unknwn.h>

#include <utility>

namespace morvane {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes a reference of its own; the caller keeps the one it has.
    explicit ComPtr(T* object) noexcept : object_(object) {
        if (object_) object_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.object_) {}
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

    void Reset() noexcept {
        if (object_) std::exchange(object_, nullptr)->Release();
    }
    // For calls that hand a new reference back through a pointer.
    T** Receive() noexcept {
        Reset();
        return &object_;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

    // Another interface of the same object, or empty.
    template <typename U>
    ComPtr<U> As() const noexcept {
        ComPtr<U> other;
        if (object_) object_->QueryInterface(__uuidof(U), other.ReceiveVoid());
        return other;
    }

private:
    T* object_ = nullptr;
};

}  // namespace morvane
