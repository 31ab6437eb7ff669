#include "content/SearchCriteria.h"

#include <algorithm>
#include <charconv>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

// `value` against the criteria's `folded` text: <0, 0 or >0.
int CompareFolded(std::string_view value, std::string_view folded) {
    const size_t n = std::min(value.size(), folded.size());
    for (size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(FoldCase(value[i]));
        const auto b = static_cast<unsigned char>(folded[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return value.size() < folded.size() ? -1 : value.size() > folded.size() ? 1 : 0;
}

bool ContainsFolded(std::string_view value, std::string_view folded) {
    if (folded.empty()) return true;
    return std::search(value.begin(), value.end(), folded.begin(), folded.end(),
                       [](char a, char b) { return FoldCase(a) == b; }) != value.end();
}

std::optional<uint64_t> Number(std::string_view text) {
    uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return number;
}

}  // namespace

// Recursive descent over tokens read as it goes: words, quoted strings,
// "(", ")" and the comparison signs.
class SearchCriteria::Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool Run(std::vector<Node>& nodes) {
        nodes_ = &nodes;
        const auto root = Or(0);
        SkipSpace();
        return root && at_ == text_.size();
    }

private:
    // Deep enough for any real query; deeper text is refused before the
    // recursion could exhaust the stack.
    static constexpr int kMaxDepth = 32;

    enum class Kind { kEnd, kWord, kString, kOpen, kClose, kSign, kBad };
    struct Token {
        Kind kind = Kind::kEnd;
        std::string text;
    };

    void SkipSpace() {
        while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    }

    Token Next() {
        SkipSpace();
        if (at_ == text_.size()) return {Kind::kEnd, {}};
        const char c = text_[at_];
        if (c == '(' || c == ')') {
            ++at_;
            return {c == '(' ? Kind::kOpen : Kind::kClose, std::string(1, c)};
        }
        if (c == '"') return QuotedString();
        if (c == '=' || c == '!' || c == '<' || c == '>') {
            std::string sign(1, c);
            ++at_;
            if (at_ < text_.size() && text_[at_] == '=') sign += text_[at_++];
            if (sign == "!") return {Kind::kBad, {}};
            return {Kind::kSign, sign};
        }
        const size_t start = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_]) &&
               std::string_view("()\"=!<>").find(text_[at_]) == std::string_view::npos)
            ++at_;
        return {Kind::kWord, std::string(text_.substr(start, at_ - start))};
    }

    Token QuotedString() {
        std::string value;
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return {Kind::kString, std::move(value)};
            }
            if (c == '\\') {
                if (++at_ == text_.size()) break;
                c = text_[at_];
                if (c != '"' && c != '\\') break;
            }
            value += c;
        }
        return {Kind::kBad, {}};
    }

    // Takes the next token when it is `word`.
    bool Accept(const char* word) {
        const size_t at = at_;
        const Token token = Next();
        if (token.kind == Kind::kWord && NamesEqual(token.text, word)) return true;
        at_ = at;
        return false;
    }

    std::optional<size_t> Add(Node node) {
        nodes_->push_back(std::move(node));
        return nodes_->size() - 1;
    }

    // Operands joined by `word`, one node for all of them.
    template <class Operand>
    std::optional<size_t> Joined(const char* word, Op op, Operand operand) {
        Node joined;
        joined.op = op;
        do {
            const auto next = operand();
            if (!next) return std::nullopt;
            joined.operands.push_back(*next);
        } while (Accept(word));
        if (joined.operands.size() == 1) return joined.operands.front();
        return Add(std::move(joined));
    }

    std::optional<size_t> Or(int depth) {
        if (depth > kMaxDepth) return std::nullopt;
        return Joined("or", Op::kOr, [&] {
            return Joined("and", Op::kAnd, [&] { return Primary(depth); });
        });
    }

    std::optional<size_t> Primary(int depth) {
        Token token = Next();
        if (token.kind == Kind::kOpen) {
            const auto inner = Or(depth + 1);
            if (!inner || Next().kind != Kind::kClose) return std::nullopt;
            return inner;
        }
        if (token.kind != Kind::kWord) return std::nullopt;
        return Relation(token.text);
    }

    std::optional<size_t> Relation(const std::string& name) {
        // A property is "prefix:name", "@attribute" or "element@attribute".
        if (name.find_first_of(":@") == std::string::npos || name.back() == ':' ||
            name.back() == '@')
            return std::nullopt;
        Node node;
        node.property = PropertyNamed(name);
        const Token op = Next();
        if (op.kind == Kind::kWord && NamesEqual(op.text, "exists")) {
            const Token flag = Next();
            if (flag.kind != Kind::kWord) return std::nullopt;
            if (NamesEqual(flag.text, "true"))
                node.exists = true;
            else if (NamesEqual(flag.text, "false"))
                node.exists = false;
            else
                return std::nullopt;
            node.op = Op::kExists;
            return Add(std::move(node));
        }
        if (op.kind == Kind::kSign) {
            static constexpr std::pair<std::string_view, Op> kSigns[] = {
                {"=", Op::kEqual},   {"!=", Op::kNotEqual},   {"<", Op::kLess},
                {"<=", Op::kLessEqual}, {">", Op::kGreater}, {">=", Op::kGreaterEqual},
            };
            const auto* sign = std::find_if(std::begin(kSigns), std::end(kSigns),
                                            [&](const auto& s) { return s.first == op.text; });
            if (sign == std::end(kSigns)) return std::nullopt;
            node.op = sign->second;
        } else if (op.kind == Kind::kWord && NamesEqual(op.text, "contains")) {
            node.op = Op::kContains;
        } else if (op.kind == Kind::kWord && NamesEqual(op.text, "doesNotContain")) {
            node.op = Op::kDoesNotContain;
        } else if (op.kind == Kind::kWord && NamesEqual(op.text, "derivedfrom")) {
            node.op = Op::kDerivedFrom;
        } else {
            return std::nullopt;
        }
        const Token value = Next();
        if (value.kind != Kind::kString) return std::nullopt;
        if (IsNumeric(node.property) && node.op >= Op::kEqual && node.op <= Op::kGreaterEqual) {
            const auto number = Number(value.text);
            if (!number) return std::nullopt;
            node.number = *number;
        }
        node.value = FoldCase(value.text);
        return Add(std::move(node));
    }

    std::string_view text_;
    size_t at_ = 0;
    std::vector<Node>* nodes_ = nullptr;
};

std::optional<SearchCriteria> SearchCriteria::Parse(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    SearchCriteria criteria;
    if (text == "*") {
        criteria.nodes_.emplace_back();  // kAll
        return criteria;
    }
    if (!Parser(text).Run(criteria.nodes_)) return std::nullopt;
    return criteria;
}

bool SearchCriteria::Matches(const ShareObject& object) const {
    return Evaluate(nodes_.size() - 1, object);
}

bool SearchCriteria::Evaluate(size_t index, const ShareObject& object) const {
    const Node& node = nodes_[index];
    switch (node.op) {
    case Op::kAll:
        return true;
    case Op::kAnd:
        return std::all_of(node.operands.begin(), node.operands.end(),
                           [&](size_t operand) { return Evaluate(operand, object); });
    case Op::kOr:
        return std::any_of(node.operands.begin(), node.operands.end(),
                           [&](size_t operand) { return Evaluate(operand, object); });
    case Op::kExists:
        return AnyValue(object, node.property, [](std::string_view) { return true; }) ==
               node.exists;
    default:
        return AnyValue(object, node.property,
                        [&](std::string_view value) { return Compare(node, value); });
    }
}

bool SearchCriteria::Compare(const Node& node, std::string_view value) const {
    int order = 0;
    if (node.op >= Op::kEqual && node.op <= Op::kGreaterEqual) {
        if (IsNumeric(node.property)) {
            const auto number = Number(value);
            if (!number) return false;
            order = *number < node.number ? -1 : *number > node.number ? 1 : 0;
        } else {
            order = CompareFolded(value, node.value);
        }
    }
    switch (node.op) {
    case Op::kEqual:
        return order == 0;
    case Op::kNotEqual:
        return order != 0;
    case Op::kLess:
        return order < 0;
    case Op::kLessEqual:
        return order <= 0;
    case Op::kGreater:
        return order > 0;
    case Op::kGreaterEqual:
        return order >= 0;
    case Op::kContains:
        return ContainsFolded(value, node.value);
    case Op::kDoesNotContain:
        return !ContainsFolded(value, node.value);
    case Op::kDerivedFrom:
        // The class itself, or one below it: "object.item" covers
        // "object.item.audioItem" but not "object.itemized".
        return CompareFolded(value.substr(0, node.value.size()), node.value) == 0 &&
               (value.size() == node.value.size() || value[node.value.size()] == '.');
    default:
        return false;
    }
}
