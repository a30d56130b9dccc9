#pragma once
// An operation bound to the object it acts on, in two words. An object file lends its
// class lookups to every object it writes or reads, so the lookup is set once per
// record: as a target and a plain function it costs a pointer pair, where a
// std::function costs four words and a call through its manager on every copy.

#include <functional>
#include <type_traits>

template <class Signature> class TBoundOperation;

template <class Result, class Argument> class TBoundOperation<Result(Argument)> {
public:
    /// Empty: false as a condition; calling it raises std::bad_function_call.
    TBoundOperation() = default;

    /// A lambda without captures (it needs no target).
    template <class F>
    requires(
        std::is_empty_v<F>&& std::is_default_constructible_v<F>&& std::is_invocable_r_v<Result, const F&, Argument>)
        TBoundOperation(F) // NOLINT: converts like a std::function does
        : call_([](void*, Argument argument) -> Result { return F {}(argument); })
    {
    }

    /// `Member` called on `target`, which must outlive every call.
    template <auto Member, class Target> static TBoundOperation Bind(Target* target)
    {
        TBoundOperation operation;
        operation.target_ = target;
        operation.call_
            = [](void* t, Argument argument) -> Result { return (static_cast<Target*>(t)->*Member)(argument); };
        return operation;
    }

    explicit operator bool() const { return call_ != nullptr; }

    Result operator()(Argument argument) const
    {
        if (call_ == nullptr)
            throw std::bad_function_call();
        return call_(target_, argument);
    }

private:
    void* target_ = nullptr;
    Result (*call_)(void*, Argument) = nullptr;
};
