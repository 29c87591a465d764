#pragma once
// What the template manager window tells the user about an add, modify or delete.
#include "common/FunPub.h"
#include "templates/TemplateManager.h"

// The delete's question; true for Yes.
bool ConfirmTemplateDelete(MessageBoxes& boxes);

// The box for `result`, if any; then raises the rows' reload failure, if there was one.
void ShowTemplateResult(const TemplateResult& result, MessageBoxes& boxes);
