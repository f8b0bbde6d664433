#pragma once
// Reading a layout file the way the builder's Open does, without the builder's window.

#include <QString>

// Reads the file onto a root control of the builder's size, re-applying each element's ID as the main
// window does when an element is placed, and returns the layout text that Save would write. Throws
// Exception with the message the builder would show.
QString LoadLayoutText(const QString& fileName);
