#include "run/run_cardset.h"

#include <new>

#include "deal/deal_set.h"
#include "deal/produce_sets.h"
#include "deal/random_source.h"
#include "deck/load_deck.h"
#include "run/read_settings.h"

namespace cardset {
namespace {

constexpr int status_success = 0;
constexpr int status_failure = 1;

// The stages after the settings file is open; the caller closes that file.
int run_with_settings(platform& system, const settings_parse& settings, random_source& source) {
  // A field left unset would make the later stages guess; stop before them.
  if (!settings.complete()) return status_failure;
  const run_settings& values = settings.values;

  deck_load loaded = load_deck(system, values.deck_path);
  if (loaded.status != deck_status::loaded) return status_failure;
  if (deck_too_small(loaded.cards.size, values.cards_per_set)) return status_failure;

  // A set that can never be completed would walk for ever; refuse the run
  // before any set file is created or truncated.
  if (!sets_can_complete(loaded.cards.size, values.draw_probability, values.cards_per_set,
                         values.set_count)) {
    return status_failure;
  }
  return produce_sets(system, values, loaded.cards, source) ? status_success : status_failure;
}

int run_stages(platform& system) {
  random_source source;
  seed(source, system.tick_count());

  const auto settings = read_settings(system);
  if (!settings) return status_failure;
  const int status = run_with_settings(system, settings->parse, source);
  // The settings file is the last file closed, on every path; its close
  // changes nothing.
  (void)system.close(settings->file);
  return status;
}

}  // namespace

int run_cardset(platform& system) {
  // Running out of memory has no status of its own: it ends the run as a failure.
  try {
    return run_stages(system);
  } catch (const std::bad_alloc&) {
    return status_failure;
  }
}

}  // namespace cardset
