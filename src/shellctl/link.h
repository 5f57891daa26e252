#pragma once
// References between components that do not own each other (a tree and its file list, a list and
// its context menu): a Link clears itself when the component it names is destroyed.
#include <algorithm>
#include <vector>

namespace morvane {

class LinkBase;

// Base of every component that others link to.
class LinkTarget {
public:
    LinkTarget() = default;
    LinkTarget(const LinkTarget&) = delete;
    LinkTarget& operator=(const LinkTarget&) = delete;
    ~LinkTarget();

private:
    friend class LinkBase;
    std::vector<LinkBase*> links_;
};

class LinkBase {
public:
    LinkBase(const LinkBase&) = delete;
    LinkBase& operator=(const LinkBase&) = delete;

protected:
    LinkBase() = default;
    ~LinkBase() { Attach(nullptr); }
    void Attach(LinkTarget* target) {
        if (target_) target_->links_.erase(std::remove(target_->links_.begin(), target_->links_.end(), this),
                                           target_->links_.end());
        target_ = target;
        if (target_) target_->links_.push_back(this);
    }

private:
    friend class LinkTarget;
    LinkTarget* target_ = nullptr;
    void* object_ = nullptr;

    template <typename T>
    friend class Link;
};

inline LinkTarget::~LinkTarget() {
    for (LinkBase* link : links_) {
        link->target_ = nullptr;
        link->object_ = nullptr;
    }
}

template <typename T>
class Link : public LinkBase {
public:
    Link() = default;
    T* Get() const { return static_cast<T*>(object_); }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return object_ != nullptr; }
    void Set(T* object) {
        Attach(object);  // T derives from LinkTarget
        object_ = object;
    }
};

}  // namespace morvane
