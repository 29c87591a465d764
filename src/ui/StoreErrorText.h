#pragma once
// What the user reads when the store fails: the sentence for a StoreError's fault and
// result code, chosen here at the windows' edge rather than inside the store. UTF-8.
#include "store/StoreError.h"
#include "store/TeamError.h"

#include <exception>
#include <string>

std::string StoreErrorText(const StoreError& error);
// One sentence for a failure on the way to the team library's server, with the driver's own
// words in brackets where they help (already without the password).
std::string TeamErrorText(const TeamError& error);
// StoreErrorText for a StoreError, TeamErrorText for a TeamError, the exception's own text for any other.
std::string FailureText(const std::exception& error);
