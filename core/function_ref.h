#pragma once

#include <memory>
#include <type_traits>
#include <utility>

// A non-owning reference to something callable: cheap to pass, never
// allocates. The referenced callable must outlive the call it is passed to.
template <typename Signature>
class FunctionRef;

template <typename Result, typename... Args>
class FunctionRef<Result(Args...)> {
public:
    template <typename Callable,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
    FunctionRef(Callable&& callable) noexcept  // NOLINT: implicit on purpose
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          invoke_([](void* object, Args... args) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(object))(
                  std::forward<Args>(args)...);
          }) {}

    Result operator()(Args... args) const { return invoke_(object_, std::forward<Args>(args)...); }

private:
    void* object_;
    Result (*invoke_)(void*, Args...);
};
