// File-name patterns matched the way the platform's directory search matches long names.
#pragma once

#include <string>
#include <string_view>

// A pattern such as "system.yaml" or "*.log": '*' stands for any run of characters, '?' for one
// character, "*.*" for every name, and letters compare without regard to case as the file system
// compares them. Lets a walk list a directory once and test each name against several patterns
// instead of asking the file system once per pattern.
class NamePattern {
   public:
    explicit NamePattern(std::wstring pattern);

    bool Matches(std::wstring_view name) const;

   private:
    std::wstring pattern_;
    bool hasWildcards_ = false;
};
