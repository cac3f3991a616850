// Shared by the fuzz targets: a scratch folder for the files a target hands
// to the program, and a way to stop on a broken property so that libFuzzer
// keeps the input that showed it.
#pragma once

#include <string>
#include <string_view>

// A folder of this process, made on first use under /dev/shm when there is
// one (no disk writes, and a sync costs nothing there), else under TMPDIR or
// /tmp; removed with its files when the process ends normally.
const std::string& ScratchDir();

// Writes bytes to name in the scratch folder, replacing the file, and
// returns its path. Plain writes: the program's own safe writing is not
// what is tested here.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// Reports a property the input broke and aborts, which libFuzzer records
// as a crash with this input.
[[noreturn]] void PropertyBroken(const std::string& what);
