#pragma once

#include "ConnectionBackend.h"
#include "RecordTable.h"

#include <QString>

#include <cstdint>
#include <vector>

/// The state of an open record set.
struct RecordSetData {
    RecordTable table;
    QString sql;
    int position = 0;
    /// The session the rows were read from; edits are stored only through it.
    std::uint64_t backendSerial = 0;
    std::vector<FieldEdit> pendingEdits;
};
