#pragma once
#include <stdexcept>
#include <string>

// A failure of the store. The message is UTF-8 and is shown to the user as it is.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
