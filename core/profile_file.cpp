#include "core/profile_file.h"

#include "core/text.h"

namespace quorlen {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanksAndTabs(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Matching quotes around a whole value are not part of it: "a" and 'a' read as a.
std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string LowerName(std::string_view name) { return LowerCase(TrimBlanksAndTabs(name)); }

std::string_view UnquotedView(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// What a value looks like through the caller's buffer; a missing key gives the default,
// which loses its trailing blanks, not its leading ones.
std::string ThroughBuffer(const std::optional<std::string_view>& value,
                          std::string_view defaultValue, size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::string_view shown = value ? *value : defaultValue;
  if (!value) {
    while (!shown.empty() && shown.back() == ' ') shown.remove_suffix(1);
  }
  return std::string(shown.substr(0, bufferSize - 1));
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) { Parse(bytes); }

ProfileFile& ProfileFile::operator=(const ProfileFile& other) {
  if (this != &other) Parse(other.Serialize());
  return *this;
}

void ProfileFile::Parse(std::string_view bytes) {
  lines_.clear();
  sections_.clear();
  sectionIndex_.clear();
  bom_ = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
  if (bom_) bytes.remove_prefix(kUtf8Bom.size());

  Section* current = nullptr;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    Line line;
    if (end == std::string_view::npos) {
      line.text = std::string(bytes.substr(at));
      at = bytes.size();
    } else {
      size_t textEnd = (end > at && bytes[end - 1] == '\r') ? end - 1 : end;
      line.text = std::string(bytes.substr(at, textEnd - at));
      line.end = std::string(bytes.substr(textEnd, end + 1 - textEnd));
      at = end + 1;
    }
    LineIt it = lines_.insert(lines_.end(), std::move(line));

    // A NUL ends what the line says; the bytes after it are kept but never read.
    std::string_view content(it->text);
    content = content.substr(0, content.find('\0'));
    content = TrimBlanksAndTabs(content);
    if (content.empty() || content.front() == ';') continue;
    if (content.front() == '[') {
      size_t close = content.find(']');
      if (close == std::string_view::npos) {
        current = nullptr;  // "[Open" starts no section that can be named
        continue;
      }
      Section section;
      section.name = std::string(TrimBlanksAndTabs(content.substr(1, close - 1)));
      section.header = it;
      section.lastKey = it;
      sections_.push_back(std::move(section));
      current = &sections_.back();
      sectionIndex_.try_emplace(LowerCase(current->name), current);
      continue;
    }
    size_t equals = content.find('=');
    if (equals == std::string_view::npos || current == nullptr) continue;
    std::string name = LowerName(content.substr(0, equals));
    current->lastKey = it;
    if (current->keys.count(name)) continue;
    current->keys.emplace(name, Key{Unquote(TrimBlanksAndTabs(content.substr(equals + 1))), it});
    current->keyOrder.push_back(std::move(name));
  }
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view section) const {
  auto it = sectionIndex_.find(LowerName(section));
  return it == sectionIndex_.end() ? nullptr : it->second;
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view section) {
  auto it = sectionIndex_.find(LowerName(section));
  return it == sectionIndex_.end() ? nullptr : it->second;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  auto it = s->keys.find(LowerName(key));
  if (it == s->keys.end()) return std::nullopt;
  return it->second.value;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, size_t bufferSize) const {
  const std::optional<std::string> value = Find(section, key);
  return ThroughBuffer(value ? std::optional<std::string_view>(*value) : std::nullopt, defaultValue,
                       bufferSize);
}

std::vector<std::string> ProfileFile::SectionNames() const {
  std::vector<std::string> names;
  for (const auto& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::string> ProfileFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const Section* s = FindSection(section);
  if (!s) return names;
  for (const auto& lower : s->keyOrder) {
    std::string_view text(s->keys.at(lower).line->text);
    names.emplace_back(TrimBlanksAndTabs(text.substr(0, text.find('='))));
  }
  return names;
}

void ProfileFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string lowerKey = LowerName(key);
  std::string parsed = Unquote(TrimBlanksAndTabs(value));
  Section* s = FindSection(section);
  if (s) {
    if (auto it = s->keys.find(lowerKey); it != s->keys.end()) {
      // The key keeps its place and its spelling; only its value changes.
      std::string_view old(it->second.line->text);
      std::string_view name = TrimBlanksAndTabs(old.substr(0, old.find('=')));
      it->second.line->text = std::string(name) + "=" + std::string(value);
      it->second.value = std::move(parsed);
      return;
    }
    if (s->lastKey->end.empty()) s->lastKey->end = "\r\n";
    LineIt line = lines_.insert(std::next(s->lastKey),
                                Line{std::string(key) + "=" + std::string(value), "\r\n"});
    s->lastKey = line;
    s->keys.emplace(lowerKey, Key{std::move(parsed), line});
    s->keyOrder.push_back(lowerKey);
    return;
  }
  if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\r\n";
  Section fresh;
  fresh.name = std::string(TrimBlanksAndTabs(section));
  fresh.header = lines_.insert(lines_.end(), Line{"[" + std::string(section) + "]", "\r\n"});
  fresh.lastKey =
      lines_.insert(lines_.end(), Line{std::string(key) + "=" + std::string(value), "\r\n"});
  fresh.keys.emplace(lowerKey, Key{std::move(parsed), fresh.lastKey});
  fresh.keyOrder.push_back(lowerKey);
  sections_.push_back(std::move(fresh));
  sectionIndex_.try_emplace(LowerCase(sections_.back().name), &sections_.back());
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return;
  auto it = s->keys.find(LowerName(key));
  if (it == s->keys.end()) return;
  lines_.erase(it->second.line);
  Reindex();
}

void ProfileFile::DeleteSection(std::string_view section) {
  Section* s = FindSection(section);
  if (!s) return;
  LineIt from = s->header;
  LineIt to = std::next(from);
  // The section runs up to the next header line, whatever lies between.
  for (; to != lines_.end(); ++to) {
    std::string_view content = TrimBlanksAndTabs(std::string_view(to->text));
    if (!content.empty() && content.front() == '[') break;
  }
  lines_.erase(from, to);
  Reindex();
}

void ProfileFile::Reindex() { Parse(Serialize()); }

std::string ProfileFile::Serialize() const {
  size_t size = bom_ ? kUtf8Bom.size() : 0;
  for (const auto& line : lines_) size += line.text.size() + line.end.size();
  std::string out;
  out.reserve(size);
  if (bom_) out.append(kUtf8Bom);
  for (const auto& line : lines_) {
    out.append(line.text);
    out.append(line.end);
  }
  return out;
}

void ScanProfileSection(
    std::string_view bytes, std::string_view section,
    const std::function<void(std::string_view name, std::string_view value)>& visit) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  const std::string_view wanted = TrimBlanksAndTabs(section);
  bool inside = false;  // in the first section of the wanted name
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view content = bytes.substr(at, end - at);
    at = end + 1;
    if (!content.empty() && content.back() == '\r' && end < bytes.size()) content.remove_suffix(1);
    // A NUL ends what the line says.
    content = TrimBlanksAndTabs(content.substr(0, content.find('\0')));
    if (content.empty() || content.front() == ';') continue;
    if (content.front() == '[') {
      if (inside) return;  // any header ends the section, even one that names nothing
      const size_t close = content.find(']');
      if (close != std::string_view::npos &&
          SameButForCase(TrimBlanksAndTabs(content.substr(1, close - 1)), wanted)) {
        inside = true;
      }
      continue;
    }
    if (!inside) continue;
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos) continue;
    visit(TrimBlanksAndTabs(content.substr(0, equals)),
          UnquotedView(TrimBlanksAndTabs(content.substr(equals + 1))));
  }
}

std::string ScanProfileString(std::string_view bytes, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize) {
  const std::string_view wanted = TrimBlanksAndTabs(key);
  std::optional<std::string_view> found;
  ScanProfileSection(bytes, section, [&](std::string_view name, std::string_view value) {
    if (!found && SameButForCase(name, wanted)) found = value;
  });
  return ThroughBuffer(found, defaultValue, bufferSize);
}

}  // namespace quorlen
