#pragma once
// Reading a layout file the way the builder's Open does, without the builder's window.

#include "core/FileName.h"

#include <QString>

// Reads the file into a layout document of the builder's size (which gives each placed element a free ID,
// as in the builder) and returns the layout text that Save would write. Throws
// Exception with the message the builder would show. A name from the command line opens by its bytes, also
// when they are not valid UTF-8.
QString LoadLayoutText(const TFileName& fileName);
