#pragma once

// A value or an error, spelled like C++23's std::expected so that moving to it is a rename.

#include <cassert>
#include <type_traits>
#include <utility>
#include <variant>

namespace Tarn::Common {

template <typename E> class Unexpected
{
public:
    explicit Unexpected(E error)
        : m_error(std::move(error))
    {
    }
    const E &error() const & { return m_error; }
    E &&error() && { return std::move(m_error); }

private:
    E m_error;
};

template <typename E> Unexpected(E) -> Unexpected<E>;

template <typename T, typename E> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_storage(std::in_place_index<0>, std::move(value))
    {
    }
    template <typename U>
    Result(Unexpected<U> unexpected)
        : m_storage(std::in_place_index<1>, std::move(unexpected).error())
    {
    }

    bool has_value() const { return m_storage.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T &value() &
    {
        assert(has_value() && "value() of a Result holding an error");
        return std::get<0>(m_storage);
    }
    const T &value() const &
    {
        assert(has_value() && "value() of a Result holding an error");
        return std::get<0>(m_storage);
    }
    T &&value() &&
    {
        assert(has_value() && "value() of a Result holding an error");
        return std::get<0>(std::move(m_storage));
    }
    const E &error() const &
    {
        assert(!has_value() && "error() of a Result holding a value");
        return std::get<1>(m_storage);
    }
    E &&error() &&
    {
        assert(!has_value() && "error() of a Result holding a value");
        return std::get<1>(std::move(m_storage));
    }

    template <typename U> T value_or(U &&fallback) const &
    {
        return has_value() ? std::get<0>(m_storage) : static_cast<T>(std::forward<U>(fallback));
    }

    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }
    T &&operator*() && { return std::move(*this).value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

private:
    std::variant<T, E> m_storage;
};

} // namespace Tarn::Common
