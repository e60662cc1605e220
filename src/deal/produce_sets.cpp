#include "deal/produce_sets.h"

#include "deal/deal_set.h"

namespace cardset {

void open_set_file(platform& system, set_file& out, std::string_view name) {
  if (out.file) {
    out.failed = true;
    return;
  }
  out.file = system.open_for_writing(name);
  if (!out.file) out.failed = true;
}

void close_set_file(platform& system, set_file& out) {
  if (!out.file || out.released) return;
  if (system.close(*out.file)) {
    out.file.reset();
  } else {
    out.failed = true;
    out.released = true;
  }
}

void discard_set_file(platform& system, set_file& out) {
  if (out.file && !out.released) (void)system.close(*out.file);
  out.file.reset();
  out.released = false;
}

void write_card_line(platform& system, set_file& out, std::string_view text) {
  if (out.failed || !out.file) return;
  out.line.append(text);
  out.line.append("\n");
  if (!out.line.hand_over(system, {false, *out.file})) out.failed = true;
}

std::string set_file_name(std::int32_t set_number) {
  return "cardset_" + std::to_string(set_number) + ".qzt";
}

namespace {

void report_line(platform& system, report_output& out) {
  if (out.failed) return;
  if (!out.line.hand_over(system, {true, {}})) out.failed = true;
}

struct card_writer_context {
  platform* system;
  set_file* out;
};

}  // namespace

void write_set_report(platform& system, report_output& out, std::int32_t set_number,
                      std::int32_t drawn_in_set) {
  out.line.append("\n");
  report_line(system, out);
  out.line.append("Set: ");
  out.line.append_decimal(static_cast<std::uint32_t>(set_number));
  out.line.append("\n");
  report_line(system, out);
  out.line.append("Cards out: ");
  out.line.append_decimal(static_cast<std::uint32_t>(drawn_in_set));
  out.line.append("\n");
  report_line(system, out);
  out.line.append("\n");
  report_line(system, out);
}

bool produce_sets(platform& system, const run_settings& settings, deck& cards,
                  random_source& source) {
  set_file out;
  report_output report;
  std::uint32_t dealt_count = 0;
  card_writer_context context{&system, &out};
  const card_writer writer{&context, [](void* raw, std::string_view text) {
                             auto* c = static_cast<card_writer_context*>(raw);
                             write_card_line(*c->system, *c->out, text);
                           }};

  bool succeeded = true;
  // Counted in 64 bits, so the largest set_count cannot wrap the loop.
  for (std::int64_t number = 1; number <= settings.set_count; ++number) {
    const auto n = static_cast<std::int32_t>(number);
    open_set_file(system, out, set_file_name(n));
    if (out.failed) {
      succeeded = false;
      break;
    }
    const std::int32_t drawn = deal_set(cards, settings.draw_probability, settings.cards_per_set,
                                        source, dealt_count, writer);
    apply_recycle_rule(cards, dealt_count, cards.size);
    close_set_file(system, out);
    write_set_report(system, report, n, drawn);
  }
  // A failure in the last set is a failure too, though no later open finds it.
  if (out.failed) succeeded = false;
  discard_set_file(system, out);
  return succeeded;
}

}  // namespace cardset
