// Ambrelin: turns a folder of pictures into an HTML album page.
#include "gui/app/Startup.h"

int main(int argc, char** argv) {
  return RunAmbrelin(argc, argv);
}
