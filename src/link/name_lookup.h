// The address of a network serial server given by name: the resolver may
// take seconds (a name server that does not answer), so the name is looked
// up on a thread of its own and the caller waits for it as for any other
// descriptor, through its waiter, with the window served meanwhile.  An
// address in figures takes no time and no thread.
#pragma once

#include <netdb.h>

#include <memory>
#include <string>

namespace qmx {

class NameLookup {
 public:
  NameLookup(const std::string& host, const std::string& service);
  ~NameLookup();
  NameLookup(const NameLookup&) = delete;
  NameLookup& operator=(const NameLookup&) = delete;

  // Readable once the answer is there; -1 for an address in figures.
  int fd() const;
  bool Done() const;
  // The addresses found (owned by the lookup), or null with `error` said.
  // Only once Done().
  const addrinfo* Result(std::string* error) const;

 private:
  struct Shared;
  // Shared with the thread: a lookup given up (the connect time-out, the
  // port closed) leaves it to the thread, which frees it when the resolver
  // is done.
  std::shared_ptr<Shared> shared_;
};

}  // namespace qmx
