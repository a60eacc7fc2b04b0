// What an apply is asked to do, and what it makes of each chosen item: the state the item
// would get, worked out from its own state and the request alone, with no window and no
// file access. The list's preview and the writer read the same plan, so that what the user
// saw is what is written.
#pragma once

#include "../datetime/TimeShift.h"
#include "ChangeJournal.h"
#include "FileSet.h"

#include <string>
#include <windows.h>
#include <vector>

// The three stamps in the order of the rows: creation, last write, last access.
enum PlanStamp { kPlanCreation, kPlanWrite, kPlanAccess, kPlanStampCount };

enum class ChangeMode {
    set,       // every item's ticked stamps take one time
    shift,     // every item's ticked stamps move by one offset from their own value
    fromSource // every item's ticked stamps take a time of the item's own (StampSource)
};

// Where "ファイルから" takes a stamp's new time, in the order the rows' lists offer them:
// the date taken in the file's content, the date in its name, or another of its stamps.
enum class StampSource { dateTaken, nameDate, creation, write, access };
constexpr int kStampSourceCount = 5;

// Why "ファイルから" leaves one stamp of an item as it is: the item has no such time.
enum class SourceGap : unsigned char {
    none,
    noDateTaken,         // its content holds no date taken, or is of no kind that is read
    dateTakenUnreadable, // its content could not be read
    dateTakenNotRead,    // the reading of the dates taken stopped before it
    noNameDate,          // its name holds no date of a known form, or an impossible one
    noStamp,             // it has no such stamp
    itemNotRead,         // its stamps were not read
    skippedLocalTime,    // the local time is one the clocks skip in spring
    outOfRange           // the time is one a stamp cannot hold
};

// The names of the stamps, in the order of PlanStamp ("作成日時"), and of the sources, in
// the order of StampSource ("撮影日時"), as the dialog and its messages say them.
extern const wchar_t* const kPlanStampNames[kPlanStampCount];
extern const wchar_t* const kStampSourceNames[kStampSourceCount];

// What a gap says in the preview and in the closing box ("撮影日時なし").
std::wstring SourceGapText(SourceGap gap, StampSource source);

struct ChangeRequest {
    ChangeMode mode = ChangeMode::set;
    bool stamps[kPlanStampCount] = {};       // the stamps that change
    TimeValue values[kPlanStampCount] = {};  // set: the second each item gets
    TimeOffset offsets[kPlanStampCount] = {}; // shift: what each item's own stamp moves by
    StampSource sources[kPlanStampCount] = {}; // fromSource: where each stamp's time comes from
    bool attributes = false;                 // the four flags change
    DWORD boxes = 0;                         // to these (read-only, hidden, system, archive)
};

// The parts (JournalPart bits) a request would change of an item that holds other values:
// in set mode the ticked stamps, in shift mode those with an offset; the flags when asked.
unsigned AskedParts(const ChangeRequest& request);

// Why an item is left whole, whatever it holds: nothing of it is written, and the apply
// names it with the reason.
enum class ItemLeft {
    no,
    // A link found inside a chosen folder: its target may lie outside the tree. Named only
    // where the request asks for a change.
    linkInWalk,
    // A shift of an item whose stamps were not read (the reading was cancelled before it, or
    // could not read it): there is nothing to shift from. An item not read in set mode is
    // written: its target does not depend on what it held, and the writer reads that on the
    // file's own handle.
    notRead,
};

// One item's part of a plan.
struct ItemChange {
    // The stamps to write (100-ns units, UTC); 0: left as it is. In set mode every item
    // gets the request's values, read or not: the writer compares with what the file holds
    // when it opens it.
    FileState target;
    // What differs from the item's state as the file set read it, as JournalPart bits
    // (the attribute bit included): what the preview shows.
    unsigned changes = 0;
    // The stamps (JournalPart bits) whose new time falls outside what a stamp holds, with
    // the would-be stamps (negative where not even a FILETIME holds them).
    unsigned refused = 0;
    LONGLONG wouldBe[kPlanStampCount] = {};
    // The stamps the targets were worked out from, as the file set read them: in shift mode
    // the stamps shifted, in "ファイルから" the stamps copied to another (0 where none is):
    // a file that holds another stamp when the writer opens it is left and named, never
    // changed from a value it no longer holds.
    LONGLONG shiftedFrom[kPlanStampCount] = {};
    // In "ファイルから", the stamps the item keeps since it has no time to take, and why.
    SourceGap gaps[kPlanStampCount] = {};
    bool HasGap() const;
    ItemLeft left = ItemLeft::no;
    // For an item left as not read: why the reading did not read it (ERROR_CANCELLED: the
    // reading was stopped before it).
    DWORD readError = ERROR_SUCCESS;
};

ItemChange PlanItemChange(const FileItem& item, const ChangeRequest& request);

// Every item's change, in the order of the file set.
struct ChangePlan {
    ChangeRequest request;
    std::vector<ItemChange> items;
    std::vector<size_t> refusedItems; // the items with a refused stamp
};

ChangePlan BuildChangePlan(const FileSet& files, const ChangeRequest& request);

// The stamps a plan's item keeps for want of a source, as the closing box names them:
// "作成日時（撮影日時なし）、更新日時（撮影日時なし）".
std::wstring GapsText(const ItemChange& change, const ChangeRequest& request);

// The plan's stamp of an item's state: creation, write or access.
LONGLONG& StampOfState(FileState& state, int stamp);
LONGLONG StampOfState(const FileState& state, int stamp);
// The JournalPart bit of a stamp.
unsigned PartOfStamp(int stamp);
