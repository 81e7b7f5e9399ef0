#pragma once

#include <string>
#include <string_view>

// What the fuzzers share: the model reads files by path, so every input is
// written to a file in a folder of the fuzzing process's own first.

// The process's own temporary folder, made at the first call and removed
// when the process ends.
const std::string& FuzzFolder();

// Writes data to strName in FuzzFolder() and returns the file's path.
std::string WriteFuzzFile(std::string_view strName, std::string_view data);

// Ends the process with a message when a property of the model does not
// hold, so that libFuzzer keeps the input that shows it.
void FuzzCheck(bool bHolds, const char* pszWhat);

// Loads data as the AA file strName (its extension picks the format), read
// in small blocks, in large ones and mapped, and reads the bodies of some
// of its AAs. All three loads must find the names and offsets, and the
// bodies must read, as a plain line-by-line reading finds them; only text
// of another encoding may be refused.
void CheckAAFileLoad(std::string_view strName, std::string_view data);

// Searches data, as an AA text file, for a few of its own bytes, names
// alone and names and bodies: the one-pass search of the file, read in
// small blocks, must find what the loaded store finds, names and all.
void CheckTextFileSearch(std::string_view data);
