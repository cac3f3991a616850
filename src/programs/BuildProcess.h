// What both batch programs do once their application object exists: run
// the command over the arguments with Ctrl+C caught while publishing.
// ambrelin-build itself needs Qt Core alone and starts in milliseconds;
// publishing, which draws pictures with Qt Gui, runs in
// ambrelin-build-publish, which ambrelin-build hands the command line over
// to.
#pragma once

#include "core/publish/CopyPlan.h"

// Runs the build command; convert makes the copies decoded anew (none in
// ambrelin-build, which never publishes itself). Returns the exit status.
int RunBuildProgram(int argc, char** argv, const WebCopyMaker& convert);
