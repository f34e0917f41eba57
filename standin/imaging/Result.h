// What a function of the imaging core that can fail gives back: its value, or the reason
// it has none. Reading the value of a failure throws std::logic_error with the reason.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace standin::imaging {

// A failure on its way into a Result of any type: `return Failure{"reason"};`.
struct Failure {
    std::string strReason;
};

template <typename T> class Result {
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    Result(Failure failure)
        : m_strError(failure.strReason.empty() ? "failed" : std::move(failure.strReason))
    {
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_strError; }

    const T& value() const&
    {
        vCheck();
        return *m_value;
    }
    T& value() &
    {
        vCheck();
        return *m_value;
    }
    T&& value() &&
    {
        vCheck();
        return std::move(*m_value);
    }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

private:
    void vCheck() const
    {
        if (!m_value)
            throw std::logic_error("imaging: no value: " + m_strError);
    }
    std::optional<T> m_value;
    std::string m_strError;
};

// Success or the reason for a failure, for functions with nothing else to give back.
class Status {
public:
    Status() = default;
    Status(Failure failure)
        : m_bOk(false)
        , m_strError(failure.strReason.empty() ? "failed" : std::move(failure.strReason))
    {
    }
    bool ok() const { return m_bOk; }
    explicit operator bool() const { return m_bOk; }
    const std::string& error() const { return m_strError; }

private:
    bool m_bOk = true;
    std::string m_strError;
};

} // namespace standin::imaging
