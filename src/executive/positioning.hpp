// Positioning of the run's unformatted sequential files (the data storage file, the binary
// permanent file, the scratch files) by unit number: rewinding, ending a file at the current
// record, and writing and finding the zero marker record that closes the head of the data
// storage file and separates the sections of its trailer.
#pragma once

#include <cstdint>

namespace korvex {

// Positions any open unit at its first record (sequential, stream or text).
// Throws io::IoError when the unit is not open.
void rewind_unit(std::int32_t unit);

// Ends the file of the unit at the current position: records after it are gone. A text
// unit is already ended by its last written line and is left as it is. Throws io::IoError
// when the unit is not open or is a stream file.
void endfile_unit(std::int32_t unit);

// Writes one record holding the single int32 0 at the current position.
// Throws io::IoError when the unit is not an open sequential file or the write fails.
void write_zero_record(std::int32_t unit);

// Reads records until it has consumed one whose first int32 is 0 (a record shorter than
// four bytes never counts); the unit is left at the record after it. Meeting the end of the
// file first throws io::IoError naming the unit and its file, and the run stops on it.
void skip_to_zero_record(std::int32_t unit);

}  // namespace korvex
