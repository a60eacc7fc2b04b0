#include "ChoiceReading.h"

#include "PathForms.h"

void ReadChoice(ChoiceReading& reading, const FileSet::Progress& progress)
{
    for (std::wstring& path : reading.chosen)
        path = AbsolutePath(path);
    const bool again = !reading.items.empty();
    reading.files.Assign(again ? std::move(reading.items) : reading.chosen);
    reading.items.clear();
    reading.walk = reading.walk && !again;
    reading.files.ReadStates(progress, reading.walk);
    reading.walked = again || reading.walk;
}
