// INI settings files that behave like Windows private-profile files, because
// operators carry "dev.dat", "to.dat" and the profiles between Windows and
// Linux machines and edit them by hand.
//
// Every call reads the file afresh and every write replaces it at once, so
// two objects on the same file never disagree and nothing is lost when the
// program is killed.  The files are a few hundred bytes; the cost is nil.
//
// File form, as read:
//  - UTF-8 text, with or without a byte-order mark, LF or CRLF line ends;
//  - "[name]" opens a section; "key=value" is a key of the section above it;
//    lines starting with ";" or "#" are comments; lines before the first
//    section, lines without "=" and any other garbage are never matched but
//    are kept, byte for byte, through every later write;
//  - section and key names compare without regard to ASCII letter case and
//    to blanks around them; when a name occurs twice the first one counts;
//  - a value is the text after the first "=", with surrounding blanks
//    removed and then one pair of matching enclosing quotes (' or "), as the
//    Windows profile functions return it.  ReadRawString gives the text
//    exactly as stored.
//
// File form, as written:
//  - a changed key keeps its line and everything before its "=", only the
//    value is replaced; a new key goes right after the last key line of its
//    section (comments and blank lines that close the section stay below
//    it); a new section goes at the end of the file;
//  - the byte-order mark and the line-end style of the file are kept (new
//    files get LF); the value is stored exactly as given;
//  - the new text goes to a temporary file in the same directory, which is
//    flushed to disk and then renamed over the old file with the old file's
//    permission bits.  A failure anywhere (full disk, read-only directory,
//    no such directory) leaves the old file untouched and returns false;
//    nothing is thrown or printed.  A symbolic link is written through to
//    its target.
//  - a path that exists but cannot be read (no permission, a directory, a
//    device, a UTF-16 file, more than 64 MiB) reads as empty and is never
//    written: replacing it would destroy what could not be read.
//
// Integers are read the way Delphi's StrToIntDef reads them: an optional
// "+" or "-", then decimal digits, or hexadecimal digits after "$" or "0x"
// ("0X"), and nothing else (the surrounding blanks are already trimmed).
// Decimal values must lie in the int32 range; hexadecimal ones may use all
// 32 bits and are taken as two's complement ("$FFFFFFFF" is -1).  Anything
// else, including an empty value, gives the default.  Integers are written
// in decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmx {

// Replaces the file at `path` with `contents` as the settings files are
// written: a complete new file or the old one, never half of either.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  // The stored text after the first "=", untouched.  Values written with
  // fixed-width formats such as "%-5.2f" carry meaningful trailing blanks
  // ("1.50 "), and only this read gives them back as they were written.
  std::string ReadRawString(std::string_view section, std::string_view key,
                            std::string_view default_value) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t default_value) const;
  // The names of the file's sections in file order, as spelled there
  // (blanks around them removed); none for a file that cannot be read.
  std::vector<std::string> SectionNames() const;

  // False when nothing was changed on disk.  Names must be non-empty and
  // must not contain line breaks or NUL; a section name must not contain
  // "]", a key name must not contain "=" nor start with "[", ";" or "#",
  // and a value must not contain line breaks or NUL, since any of those
  // would change the structure of the file when it is read back.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);

 private:
  std::optional<std::string> FindRaw(std::string_view section, std::string_view key) const;

  std::string path_;
};

// True when two section or key names are one name to these files: ASCII
// letters compare without regard to case.
bool SameIniName(std::string_view a, std::string_view b);

// The integer reading described above; nullopt when the text is not one.
std::optional<int32_t> ParseIniInteger(std::string_view text);

}  // namespace qmx
