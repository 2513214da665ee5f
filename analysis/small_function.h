#pragma once

// A copyable callable like std::function, for the checks and hooks a
// calculation builds on every call: a callable of up to `Size` bytes is
// kept in place, so building, joining and copying the tables allocates
// nothing, and one whose copy is a plain copy of its bytes (a lambda
// holding pointers and numbers) is copied without an indirect call. A
// larger callable is kept on the heap, as std::function keeps it.
//
// Empty when made from nothing, nullptr, an empty std::function or a null
// function pointer, as std::function is.

#include <cstddef>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>
#include <utility>

template <class Signature, std::size_t Size>
class SmallFunction;

namespace small_function_detail {

template <class T>
struct IsStdFunction : std::false_type {};
template <class S>
struct IsStdFunction<std::function<S>> : std::true_type {};

template <class T>
struct IsSmallFunction : std::false_type {};
template <class S, std::size_t N>
struct IsSmallFunction<SmallFunction<S, N>> : std::true_type {};

}  // namespace small_function_detail

template <class R, class... Args, std::size_t Size>
class SmallFunction<R(Args...), Size> {
  public:
    SmallFunction() noexcept = default;
    SmallFunction(std::nullptr_t) noexcept {}

    template <class F, class D = std::decay_t<F>,
              class = std::enable_if_t<!std::is_same_v<D, SmallFunction> &&
                                       std::is_invocable_r_v<R, D&, Args...>>>
    SmallFunction(F&& f) {
        if constexpr (small_function_detail::IsStdFunction<D>::value ||
                      small_function_detail::IsSmallFunction<D>::value || std::is_pointer_v<D> ||
                      std::is_member_pointer_v<D>) {
            if (!f) return;
        }
        if constexpr (kInPlace<D>) {
            ::new (static_cast<void*>(storage_)) D(std::forward<F>(f));
            invoke_ = [](void* s, Args... args) -> R {
                return std::invoke(*std::launder(reinterpret_cast<D*>(s)),
                                   std::forward<Args>(args)...);
            };
            if constexpr (!std::is_trivially_copyable_v<D>) manage_ = &ManageInPlace<D>;
        } else {
            D* held = new D(std::forward<F>(f));
            std::memcpy(storage_, &held, sizeof held);
            invoke_ = [](void* s, Args... args) -> R {
                return std::invoke(*HeldAt<D>(s), std::forward<Args>(args)...);
            };
            manage_ = &ManageHeld<D>;
        }
    }

    SmallFunction(const SmallFunction& other) : invoke_(other.invoke_), manage_(other.manage_) {
        if (manage_)
            manage_(Op::kCopy, storage_, const_cast<unsigned char*>(other.storage_));
        else
            std::memcpy(storage_, other.storage_, Size);
    }
    SmallFunction(SmallFunction&& other) noexcept : invoke_(other.invoke_), manage_(other.manage_) {
        if (manage_)
            manage_(Op::kMove, storage_, other.storage_);
        else
            std::memcpy(storage_, other.storage_, Size);
        other.invoke_ = nullptr;
        other.manage_ = nullptr;
    }
    SmallFunction& operator=(const SmallFunction& other) {
        if (this != &other) {
            SmallFunction copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    SmallFunction& operator=(SmallFunction&& other) noexcept {
        if (this != &other) {
            Reset();
            ::new (static_cast<void*>(this)) SmallFunction(std::move(other));
        }
        return *this;
    }
    SmallFunction& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }
    // A callable assigned is built in place, not in a temporary moved in.
    template <class F, class D = std::decay_t<F>,
              class = std::enable_if_t<!std::is_same_v<D, SmallFunction> &&
                                       !std::is_same_v<D, std::nullptr_t> &&
                                       std::is_invocable_r_v<R, D&, Args...>>>
    SmallFunction& operator=(F&& f) {
        if constexpr (kInPlace<D> && std::is_nothrow_constructible_v<D, F&&> &&
                      !small_function_detail::IsStdFunction<D>::value &&
                      !small_function_detail::IsSmallFunction<D>::value) {
            Reset();
            ::new (static_cast<void*>(this)) SmallFunction(std::forward<F>(f));
        } else {
            *this = SmallFunction(std::forward<F>(f));
        }
        return *this;
    }
    ~SmallFunction() { Reset(); }

    explicit operator bool() const noexcept { return invoke_ != nullptr; }

    R operator()(Args... args) const {
        if (!invoke_) throw std::bad_function_call();
        return invoke_(const_cast<unsigned char*>(storage_), std::forward<Args>(args)...);
    }

  private:
    enum class Op { kCopy, kMove, kDestroy };

    // The lambdas kept here hold pointers and numbers: pointer alignment
    // suffices and keeps a table of checks small.
    static constexpr std::size_t kAlign = alignof(void*);

    template <class D>
    static constexpr bool kInPlace = sizeof(D) <= Size &&
                                     alignof(D) <= kAlign&& std::is_nothrow_move_constructible_v<D>;

    template <class D>
    static D* HeldAt(void* s) {
        D* held;
        std::memcpy(&held, s, sizeof held);
        return held;
    }

    // Copy or move into `dst` (raw storage) from `src`; a move leaves
    // `src` destroyed.
    template <class D>
    static void ManageInPlace(Op op, void* dst, void* src) {
        D* from = std::launder(reinterpret_cast<D*>(src));
        switch (op) {
            case Op::kCopy:
                ::new (dst) D(*from);
                break;
            case Op::kMove:
                ::new (dst) D(std::move(*from));
                from->~D();
                break;
            case Op::kDestroy:
                from->~D();
                break;
        }
    }
    template <class D>
    static void ManageHeld(Op op, void* dst, void* src) {
        D* from = HeldAt<D>(src);
        switch (op) {
            case Op::kCopy: {
                D* copy = new D(*from);
                std::memcpy(dst, &copy, sizeof copy);
                break;
            }
            case Op::kMove:
                std::memcpy(dst, &from, sizeof from);
                break;
            case Op::kDestroy:
                delete from;
                break;
        }
    }

    void Reset() noexcept {
        if (manage_) manage_(Op::kDestroy, nullptr, storage_);
        invoke_ = nullptr;
        manage_ = nullptr;
    }

    static_assert(Size >= sizeof(void*) && Size % kAlign == 0);
    alignas(kAlign) unsigned char storage_[Size];
    R (*invoke_)(void*, Args...) = nullptr;
    void (*manage_)(Op, void*, void*) = nullptr;
};
