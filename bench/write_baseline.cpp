// The floor for writing a set file: reads a deck file whole, then writes each
// of its first `count` lines to the output file with CR LF, one write(2) per
// line and nothing else per line. bench/compare.sh runs it beside the tool.
//
//   cardset_write_baseline DECK OUTPUT COUNT

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const int in = ::open(argv[1], O_RDONLY);
  if (in < 0) return 1;
  std::string bytes;
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, block, sizeof block);
    if (got < 0) return 1;
    if (got == 0) break;
    bytes.append(block, static_cast<std::size_t>(got));
  }
  (void)::close(in);

  // Each line with CR LF, as the tool writes it, ready before the loop starts.
  const long wanted = std::strtol(argv[3], nullptr, 10);
  std::string lines;
  std::vector<std::size_t> ends;
  std::size_t at = 0;
  while (static_cast<long>(ends.size()) < wanted) {
    const std::size_t lf = bytes.find('\n', at);
    if (lf == std::string::npos) break;
    lines.append(bytes, at, lf - at);
    lines += "\r\n";
    ends.push_back(lines.size());
    at = lf + 1;
  }

  const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) return 1;
  std::size_t start = 0;
  for (const std::size_t end : ends) {
    if (::write(out, lines.data() + start, end - start) != static_cast<ssize_t>(end - start))
      return 1;
    start = end;
  }
  return ::close(out) == 0 ? 0 : 1;
}
