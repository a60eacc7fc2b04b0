// A choice of files read at once, as the program reads a small choice, for the tests of the
// model that need no dialog.
#pragma once

#include "model/FileOperate.h"

#include <string>
#include <vector>

inline void ChooseInPlace(CFileOperate& files, std::vector<std::wstring> paths)
{
    ChoiceReading reading = CFileOperate::ReadingOfPaths(std::move(paths), false);
    ReadChoice(reading);
    files.TakeReading(std::move(reading));
}
