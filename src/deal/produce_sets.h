#pragma once

#include <optional>
#include <string>

#include "deal/random_source.h"
#include "deck/deck.h"
#include "platform/line_writer.h"
#include "platform/platform.h"
#include "run/run_settings.h"

namespace cardset {

// The one output file of the set stage. Closed or Open, with a failed
// condition that a refused open, a card line not completely handed to the
// operating system, or a failed close sets, and nothing clears.
struct set_file {
  std::optional<file_handle> file;  // Open while it holds a file
  bool released = false;            // the held file's close failed: do not close it again
  bool failed = false;
  line_writer line;
};

// Opens name for writing (created or truncated). A set_file that still holds
// a file refuses, as does the platform; either sets the failed condition.
void open_set_file(platform& system, set_file& out, std::string_view name);

// Closes the held file. A failed close sets the failed condition and leaves
// the file counted as held.
void close_set_file(platform& system, set_file& out);

// Closes a held file whose close was never attempted; its outcome is ignored.
void discard_set_file(platform& system, set_file& out);

// Writes text and LF (going out as CR LF) and hands the line to the operating
// system, only while the failed condition is clear.
void write_card_line(platform& system, set_file& out, std::string_view text);

// "cardset_" + the set number in decimal + ".qzt".
std::string set_file_name(std::int32_t set_number);

// Standard output for the reports, with a failed condition of its own: after
// a failed write no further report text of the run is written.
struct report_output {
  bool failed = false;
  line_writer line;
};

// Prints the four report lines of one set, handing each over at its LF.
void write_set_report(platform& system, report_output& out, std::int32_t set_number,
                      std::int32_t drawn_in_set);

// Writes every set file and report, from set 1 to set_count. Fails when a set
// file cannot be opened, or when any card line or close failed, the last set
// included; the sets before the failure stay as written.
[[nodiscard]] bool produce_sets(platform& system, const run_settings& settings, deck& cards,
                                random_source& source);

}  // namespace cardset
