#include <cstdint>
#include <cstring>

#include "deck/deck.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace cardset {

void* reallocate_block(void* block, std::size_t bytes) {
  void* const grown = std::realloc(block, bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only blocks this big are mapped apart by the allocator and can hold huge pages.
  constexpr std::size_t hinted_bytes = std::size_t{4} << 20;
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (grown != nullptr && bytes >= hinted_bytes && page_size > 0) {
    const auto page = static_cast<std::uintptr_t>(page_size);
    const auto at = reinterpret_cast<std::uintptr_t>(grown);
    const std::uintptr_t begin = (at + page - 1) & ~(page - 1);
    const std::uintptr_t end = (at + bytes) & ~(page - 1);
    // A hint only: where the system declines it, the pages stay small.
    if (end > begin) {
      (void)::madvise(static_cast<char*>(grown) + (begin - at), end - begin, MADV_HUGEPAGE);
    }
  }
#endif
  return grown;
}

char* text_room(deck& cards, std::uint64_t& carried_from, std::size_t count) {
  using texts = decltype(cards.text_bytes);
  const std::uint64_t carried = cards.text_end - carried_from;
  const std::size_t segment = texts::segment_of(static_cast<std::size_t>(carried_from));
  const std::uint64_t segment_end = texts::segment_start(segment) + texts::segment_length(segment);
  if (carried_from + carried + count > segment_end) {
    const std::uint64_t next = segment_end;
    char* const moved = cards.text_bytes.room(static_cast<std::size_t>(next),
                                              static_cast<std::size_t>(carried) + count);
    if (moved == nullptr || !cards.segment_ends.push_back(carried_from)) return nullptr;
    std::memcpy(moved, cards.text_bytes.at(static_cast<std::size_t>(carried_from)),
                static_cast<std::size_t>(carried));
    carried_from = next;
    cards.text_end = next + carried;
  }
  // A segment filled to its last byte ends there.
  while (cards.segment_ends.size() < texts::segment_of(static_cast<std::size_t>(cards.text_end))) {
    if (!cards.segment_ends.push_back(cards.text_end)) return nullptr;
  }
  return cards.text_bytes.room(static_cast<std::size_t>(cards.text_end), count);
}

bool append_card(deck& cards, std::string_view text) {
  if (cards.size == INT32_MAX) return false;
  std::uint64_t nothing_carried = cards.text_end;
  char* const place = text_room(cards, nothing_carried, text.size() + 1);
  if (place == nullptr) return false;
  const auto index = static_cast<std::size_t>(cards.size);
  const std::uint64_t start = cards.text_end;
  if ((index & ((std::size_t{1} << deck_group_shift) - 1)) == 0) {
    if (!cards.group_starts.push_back(start)) return false;
  }
  const std::uint64_t group_start = cards.group_starts[index >> deck_group_shift];
  // A group holds at most 65536 texts of at most 2048 bytes each, and skips
  // at most a few segment tails: well inside 32 bits.
  if (!cards.text_starts.push_back(static_cast<std::uint32_t>(start - group_start))) return false;
  if (!text.empty()) std::memcpy(place, text.data(), text.size());
  place[text.size()] = card_separator;
  cards.text_end += text.size() + 1;
  ++cards.size;
  return true;
}

bool finish_loading(deck& cards) {
  return cards.dealt_bits.assign_zeros((static_cast<std::size_t>(cards.size) + 63) / 64);
}

void clear_dealt(deck& cards) {
  if (cards.dealt_bits.size() == 0) return;
  std::memset(cards.dealt_bits.data(), 0, cards.dealt_bits.size() * sizeof(std::uint64_t));
}

}  // namespace cardset
