#pragma once
// Runs a function on every way out of a scope, an exception included: for the flag, counter or
// state that must not outlive the scope. Release() drops the call, for a guard that undoes only
// a scope left by an exception.
#include <utility>

namespace mkb::text {

template <class F> class TScopeExit {
public:
    explicit TScopeExit(F fn) : Fn(std::move(fn)) {}
    ~TScopeExit() {
        if (Armed)
            Fn();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

    void Release() { Armed = false; }

private:
    F Fn;
    bool Armed{true};
};

} // namespace mkb::text
