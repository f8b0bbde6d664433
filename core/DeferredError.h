#pragma once
// Unwinding an exception through Qt's event delivery is not safe. Code that runs inside an event handler
// catches what its work raises and hands it on here: the error is raised again from a queued call of its
// own, where the application's top-level handler (its QApplication::notify) shows it.

#include <exception>
#include <functional>

// Raises error again from a queued call on the application object.
void RaiseDeferred(std::exception_ptr error);

// Runs work; an error it raises goes to RaiseDeferred instead of propagating. Returns false when work
// raised.
bool RunGuarded(const std::function<void()>& work);
