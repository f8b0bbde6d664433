#pragma once
// Reading a layout file the way the builder's Open does, without the builder's window.

#include <QString>

// Reads the file into a layout document of the builder's size (which gives each placed element a free ID,
// as in the builder) and returns the layout text that Save would write. Throws
// Exception with the message the builder would show.
QString LoadLayoutText(const QString& fileName);
