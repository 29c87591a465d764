#pragma once
// What the user reads when the store fails: the sentence for a StoreError's fault and
// result code, chosen here at the windows' edge rather than inside the store. UTF-8.
#include "store/StoreError.h"

#include <exception>
#include <string>

std::string StoreErrorText(const StoreError& error);
// StoreErrorText for a StoreError, the exception's own text for any other.
std::string FailureText(const std::exception& error);
