#pragma once
// A reference to a reference-counted engine object (a node, an animator, an
// emitter, attributes, a GUI element...) that the editor keeps across calls.
// Holding one keeps the object alive: a copy takes a reference of its own, a
// move passes the reference on, and the holder's end gives it back.
//
// The engine's own counting: an object from a create call (createEmptyAttributes,
// createFileList, new) comes with one reference that the caller owns, so
// adopt() takes that one over; an object from a get or add call
// (getEmitter, addWindow) comes with none of the caller's, so the constructor
// takes one.
#include <cstddef>
#include <utility>

namespace sorn {

template <typename T>
class EngineRef {
public:
    EngineRef() = default;
    EngineRef(std::nullptr_t) {}
    // Holds the object with a reference of its own (null holds nothing).
    explicit EngineRef(T* object) : object_(object) {
        if (object_)
            object_->grab();
    }
    // Takes over the one reference a create call gave the caller.
    static EngineRef adopt(T* created) {
        EngineRef ref;
        ref.object_ = created;
        return ref;
    }

    EngineRef(const EngineRef& other) : EngineRef(other.object_) {}
    EngineRef(EngineRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    // By value: copy or move first, then swap, so self-assignment and an
    // object held only by this holder both stay safe.
    EngineRef& operator=(EngineRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~EngineRef() {
        if (object_)
            object_->drop();
    }

    // Lets go of the object (it may be freed here).
    void reset() { EngineRef().swap(*this); }
    void swap(EngineRef& other) noexcept { std::swap(object_, other.object_); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

    friend bool operator==(const EngineRef& a, const EngineRef& b) { return a.object_ == b.object_; }
    friend bool operator!=(const EngineRef& a, const EngineRef& b) { return a.object_ != b.object_; }
    friend bool operator==(const EngineRef& a, const T* b) { return a.object_ == b; }
    friend bool operator!=(const EngineRef& a, const T* b) { return a.object_ != b; }

private:
    T* object_ = nullptr;
};

} // namespace sorn
