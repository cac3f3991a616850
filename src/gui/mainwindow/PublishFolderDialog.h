// Asks for the folder an album is published to. The folder need not exist
// yet: a new name can be typed, and publishing makes the folder.
#pragma once

#include <string>

class QWidget;

// Shows a modal dialog over parent with the path proposed, ready to be
// edited or chosen again with a folder browser; returns the path given, or
// "" when the user cancels.
std::string ChoosePublishFolder(QWidget* parent, const std::string& proposed);
