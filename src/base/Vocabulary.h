#pragma once

// The words the main window, the record engine and the modules share.

// The operations on the open record module, numbered as the Operation menu's entries and the
// toolbar's buttons (4, 8, 13 and 16 are separators).
enum class Operation : int {
    Add = 1,
    Modify = 2,
    Delete = 3,
    Save = 5,
    Xerox = 6,
    Cancel = 7,
    First = 9,
    Prior = 10,
    Next = 11,
    Last = 12,
    Report = 14,
    Inquiry = 15,
    Exit = 17,
};

// The command modes: no module open ("Help"), a record shown ("View"), a record being edited
// ("Edit").
enum class CommandMode { Help, View, Edit };

// The moments at which the modules' own behaviour runs: the main window loaded ("KMainLoad"),
// a record shown ("KDataLoad"), a new record's fields cleared ("KDataInit"), a record written
// ("KDataSave").
enum class HookTag { MainLoad, DataLoad, DataInit, DataSave };
