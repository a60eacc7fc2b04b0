// A path list written in place, as a test hands files over.
#pragma once

#include "../../framework/StringArray.h"

#include <initializer_list>
#include <string>

inline CStringArray PathList(std::initializer_list<std::wstring> paths)
{
    CStringArray list;
    for (const std::wstring& path : paths)
        list.Add(path);
    return list;
}
