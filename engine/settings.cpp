#include "engine/settings.h"

#include "engine/text.h"

std::string Settings::Text(const std::string& key, const std::string& fallback) const {
  return store_.Read(kFileName, kSection, key, fallback, kBufferSize);
}

std::string Settings::WholeText(const std::string& key, const std::string& fallback) const {
  return store_.Read(kFileName, kSection, key, fallback, 0);
}

int Settings::Number(const std::string& key) const {
  return text::LeadingInt(Text(key));
}

bool Settings::Put(const std::string& key, const std::string& value) {
  return store_.Write(kFileName, kSection, key, value);
}

bool Settings::PutNumber(const std::string& key, int value) {
  return Put(key, text::Format("%d", value));
}
