#include "html_nesting.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>
#include <vector>

namespace quill {
namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isLetter(c) || (c >= '0' && c <= '9'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isVoid(std::string_view n) {
  static constexpr std::array<std::string_view, 16> kVoid = {"area", "base", "br",   "col",   "embed", "hr",
                                                             "img",  "input", "link", "meta", "param", "source",
                                                             "track", "wbr", "basefont", "frame"};
  return std::find(kVoid.begin(), kVoid.end(), n) != kVoid.end();
}

// For an element that closes its open siblings: the elements that bound
// that closing (it stops below the nearest of them).
std::vector<std::string_view> closingBounds(std::string_view n) {
  if (n == "td" || n == "th") return {"tr", "table"};
  if (n == "tr") return {"table", "thead", "tbody", "tfoot"};
  if (n == "thead" || n == "tbody" || n == "tfoot") return {"table"};
  if (n == "li") return {"ul", "ol", "menu", "dir"};
  if (n == "dt" || n == "dd") return {"dl"};
  if (n == "option") return {"select"};
  return {};
}

// Containers inside which an open p is not closed by a new one.
bool boundsParagraph(std::string_view n) {
  return n == "td" || n == "th" || n == "li" || n == "div" || n == "table" || n == "blockquote" || n == "ul" ||
         n == "ol" || n == "dl" || n == "body" || n == "center";
}

// The open elements, with a count per name so that an end tag or a closing
// sibling with nothing to close costs nothing: every scan of the stack pops
// what it passes, except the short look for an open p.
class Tree {
 public:
  void open(const std::string& name) {
    if (name == "p" && count("p") > 0) {
      const std::size_t stop = stack_.size() > kParagraphReach ? stack_.size() - kParagraphReach : 0;
      for (std::size_t i = stack_.size(); i-- > stop && !boundsParagraph(stack_[i]);)
        if (stack_[i] == "p") {
          close(i);
          break;
        }
    }
    const std::vector<std::string_view> bounds = closingBounds(name);
    if (std::any_of(bounds.begin(), bounds.end(), [this](std::string_view b) { return count(b) > 0; })) {
      // Pop down to the nearest open bound.
      for (std::size_t i = stack_.size(); i-- > 0;)
        if (std::find(bounds.begin(), bounds.end(), stack_[i]) != bounds.end()) {
          close(i + 1);
          break;
        }
    }
    stack_.push_back(name);
    ++counts_[name];
    result_.elements = std::max(result_.elements, stack_.size());
    result_.tables = std::max(result_.tables, count("table"));
  }
  void end(const std::string& name) {
    if (count(name) == 0) return;
    for (std::size_t i = stack_.size(); i-- > 0;)
      if (stack_[i] == name) {
        close(i);
        return;
      }
  }
  Nesting result() const { return result_; }

 private:
  static constexpr std::size_t kParagraphReach = 64;
  std::size_t count(std::string_view name) const {
    auto it = counts_.find(std::string(name));
    return it == counts_.end() ? 0 : it->second;
  }
  // Closes stack_[from] and everything above it.
  void close(std::size_t from) {
    while (stack_.size() > from) {
      --counts_[stack_.back()];
      stack_.pop_back();
    }
  }
  std::vector<std::string> stack_;
  std::unordered_map<std::string, std::size_t> counts_;
  Nesting result_;
};

}  // namespace

Nesting measureNesting(std::string_view t) {
  Tree tree;
  std::size_t i = 0;
  const std::size_t n = t.size();
  while (i < n) {
    std::size_t lt = t.find('<', i);
    if (lt == std::string_view::npos || lt + 1 >= n) break;
    i = lt + 1;
    if (t.compare(i, 3, "!--") == 0) {
      std::size_t endComment = t.find("-->", i + 3);
      i = endComment == std::string_view::npos ? n : endComment + 3;
      continue;
    }
    bool isEnd = t[i] == '/';
    if (isEnd) ++i;
    if (i >= n || !isLetter(t[i])) continue;
    std::string name;
    while (i < n && isNameChar(t[i]) && name.size() < 16) name.push_back(lower(t[i++]));
    while (i < n && isNameChar(t[i])) ++i;
    // The rest of the tag, with quoted values that may hold '>'.
    char quote = 0;
    bool selfClosing = false;
    while (i < n) {
      char c = t[i++];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        selfClosing = i >= 2 && t[i - 2] == '/';
        break;
      }
    }
    if (isEnd) {
      tree.end(name);
      continue;
    }
    if (isVoid(name) || selfClosing) continue;
    if (name == "script" || name == "style" || name == "textarea" || name == "title") {
      // Raw text up to the matching end tag.
      std::string closing = "</" + name;
      std::size_t j = i;
      for (;;) {
        j = t.find("</", j);
        if (j == std::string_view::npos) break;
        bool same = j + closing.size() <= n;
        for (std::size_t k = 0; same && k < closing.size(); ++k) same = lower(t[j + k]) == closing[k];
        if (same) break;
        j += 2;
      }
      i = j == std::string_view::npos ? n : j;
      continue;
    }
    tree.open(name);
    // Past either limit the answer is known.
    const Nesting sofar = tree.result();
    if (sofar.elements > kMaxNesting || sofar.tables > kMaxTableNesting) break;
  }
  return tree.result();
}

}  // namespace quill
