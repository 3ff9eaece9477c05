// Thrown by value by the resource manager when a resource that was asked for
// is not loaded. It carries the manager's error text at the time of the
// throw: the first failure since the last reset, which may be an earlier one
// than the missing resource itself.
#pragma once

#include <exception>
#include <string>

namespace Zolt {

struct ResourceManagerException : public std::exception {
    explicit ResourceManagerException(const std::string& message);
    ~ResourceManagerException() override;
    ResourceManagerException(const ResourceManagerException&) = default;
    ResourceManagerException& operator=(const ResourceManagerException&) = default;

    // The message, so that a handler of std::exception can show it too.
    const char* what() const noexcept override;

    std::string text;
};

} // namespace Zolt
