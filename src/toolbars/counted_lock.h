#pragma once
// Raises a counter for the length of a scope: the docks and toolbars use counters to put off a
// re-arrangement until several changes are made.
namespace morvane {

class CountedLock {
public:
    explicit CountedLock(int& counter) : counter_(counter) { ++counter_; }
    ~CountedLock() { --counter_; }
    CountedLock(const CountedLock&) = delete;
    CountedLock& operator=(const CountedLock&) = delete;

private:
    int& counter_;
};

}  // namespace morvane
