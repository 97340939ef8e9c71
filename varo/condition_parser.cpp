// Recursive-descent parser of condition code: a lexer with line and column, one function
// per precedence level, and a light check that conditions and values are not mixed up.
#include "varo/condition_parser.h"

#include <cctype>

namespace varo {

std::string ConditionError::text() const {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

namespace {

enum class Tok { End, Ident, Number, String, Keyword, Op };

struct Token {
    Tok kind = Tok::End;
    std::string text;   // as written (keywords lower-cased); a string's value for Tok::String
    std::string shown;  // as written, for messages
    int line = 1, column = 1;
    int end_line = 1, end_column = 1;  // just after the token
};

struct Failure {
    ConditionError error;
};

[[noreturn]] void fail_at(int line, int column, const std::string& message) { throw Failure{{line, column, message}}; }

bool ident_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class Lexer {
public:
    explicit Lexer(const std::string& code) : s_(code) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            skip_space_and_comments();
            Token t;
            t.line = line_;
            t.column = column_;
            if (i_ >= s_.size()) {
                out.push_back(t);
                return out;
            }
            char c = s_[i_];
            if (ident_start(c)) {
                std::size_t start = i_;
                while (i_ < s_.size() && ident_char(s_[i_])) advance();
                t.shown = s_.substr(start, i_ - start);
                if (t.shown.back() == '.') fail_at(t.line, t.column, "attribute name '" + t.shown + "' ends with '.'");
                std::string word = lower(t.shown);
                bool keyword = word == "and" || word == "or" || word == "not" || word == "in" || word == "true" ||
                               word == "false";
                t.kind = keyword ? Tok::Keyword : Tok::Ident;
                t.text = keyword ? word : t.shown;
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                std::size_t start = i_;
                while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) advance();
                if (i_ + 1 < s_.size() && s_[i_] == '.' && std::isdigit(static_cast<unsigned char>(s_[i_ + 1]))) {
                    advance();
                    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) advance();
                }
                t.kind = Tok::Number;
                t.text = t.shown = s_.substr(start, i_ - start);
                if (i_ < s_.size() && (ident_char(s_[i_])))
                    fail_at(t.line, t.column, "malformed number '" + t.shown + s_[i_] + "'");
            } else if (c == '"') {
                t.kind = Tok::String;
                t.text = read_string(t);
                t.shown = "\"" + t.text + "\"";
            } else {
                t.kind = Tok::Op;
                static const char* const two[] = {"==", "!=", "<>", "<=", ">="};
                for (const char* op : two)
                    if (s_.compare(i_, 2, op) == 0) t.text = op;
                if (t.text.empty()) {
                    if (std::string("<>=+-*/(),").find(c) == std::string::npos) {
                        std::string shown = (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                                                ? "non-ASCII or control character"
                                                : std::string("character '") + c + "'";
                        fail_at(t.line, t.column, "unexpected " + shown);
                    }
                    t.text = std::string(1, c);
                }
                for (std::size_t k = 0; k < t.text.size(); ++k) advance();
                if (t.text == "=") t.text = "==";
                if (t.text == "<>") t.text = "!=";
                t.shown = t.text;
            }
            t.end_line = line_;
            t.end_column = column_;
            out.push_back(t);
        }
    }

private:
    void advance() {
        char c = s_[i_++];
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++column_;  // columns count characters: UTF-8 continuation bytes do not move on
        }
    }

    void skip_space_and_comments() {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (c == '#') {
                while (i_ < s_.size() && s_[i_] != '\n') advance();
            } else {
                return;
            }
        }
    }

    std::string read_string(const Token& t) {
        advance();  // opening quote
        std::string value;
        for (;;) {
            if (i_ >= s_.size() || s_[i_] == '\n') fail_at(t.line, t.column, "unterminated string");
            char c = s_[i_];
            if (c == '"') {
                advance();
                return value;
            }
            if (c == '\\') {
                int line = line_, column = column_;
                advance();
                if (i_ >= s_.size()) fail_at(t.line, t.column, "unterminated string");
                char e = s_[i_];
                switch (e) {
                case '"': value += '"'; break;
                case '\\': value += '\\'; break;
                case 'n': value += '\n'; break;
                case 't': value += '\t'; break;
                default: fail_at(line, column, std::string("unknown escape '\\") + e + "' in a string");
                }
                advance();
                continue;
            }
            value += c;
            advance();
        }
    }

    const std::string& s_;
    std::size_t i_ = 0;
    int line_ = 1, column_ = 1;
};

using NodePtr = std::unique_ptr<ConditionNode>;

bool is_boolean(const ConditionNode& n) {
    switch (n.kind) {
    case ConditionNode::Or:
    case ConditionNode::And:
    case ConditionNode::Not:
    case ConditionNode::Compare:
    case ConditionNode::In:
    case ConditionNode::Boolean: return true;
    default: return false;
    }
}

const char* what_it_is(const ConditionNode& n) {
    switch (n.kind) {
    case ConditionNode::Number: return "a number";
    case ConditionNode::String: return "a string";
    case ConditionNode::Arith:
    case ConditionNode::Negate: return "a calculation";
    default: return "a condition";
    }
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    NodePtr condition() {
        if (peek().kind == Tok::End) fail_here("expected a condition");
        NodePtr n = parse_or();
        if (peek().kind != Tok::End) {
            const Token& t = peek();
            if (is_compare_op(t)) fail_at(t.line, t.column, "comparisons cannot be chained; join them with 'and'");
            fail_at(t.line, t.column, "expected 'and', 'or' or the end after '" + prev().shown + "', found '" + t.shown + "'");
        }
        need_condition(*n);
        return n;
    }

private:
    const Token& peek() const { return t_[pos_]; }
    const Token& prev() const { return t_[pos_ > 0 ? pos_ - 1 : 0]; }
    bool at_keyword(const char* k) const { return peek().kind == Tok::Keyword && peek().text == k; }
    bool at_op(const char* op) const { return peek().kind == Tok::Op && peek().text == op; }
    static bool is_compare_op(const Token& t) {
        return t.kind == Tok::Op && (t.text == "==" || t.text == "!=" || t.text == "<" || t.text == "<=" ||
                                     t.text == ">" || t.text == ">=");
    }
    const Token& take() { return t_[pos_ < t_.size() - 1 ? pos_++ : pos_]; }
    // At the end of the code the place to point at is just after the last token.
    [[noreturn]] void fail_here(const std::string& message) const {
        if (peek().kind == Tok::End && pos_ > 0) fail_at(prev().end_line, prev().end_column, message);
        fail_at(peek().line, peek().column, message);
    }

    static NodePtr node(ConditionNode::Kind kind, const Token& at, std::string op = {}) {
        auto n = std::make_unique<ConditionNode>();
        n->kind = kind;
        n->op = std::move(op);
        n->line = at.line;
        n->column = at.column;
        return n;
    }
    static void need_condition(const ConditionNode& n) {
        if (!is_boolean(n) && n.kind != ConditionNode::Attribute)
            fail_at(n.line, n.column, std::string("expected a condition, found ") + what_it_is(n));
    }
    static void need_number(const ConditionNode& n) {
        if (n.kind == ConditionNode::String || is_boolean(n))
            fail_at(n.line, n.column, std::string("expected a number, found ") + what_it_is(n));
    }
    static void need_value(const ConditionNode& n) {
        if (is_boolean(n)) fail_at(n.line, n.column, "expected a value, found a condition");
    }

    NodePtr binary(ConditionNode::Kind kind, const Token& at, const std::string& op, NodePtr l, NodePtr r) {
        // A long chain of operators builds a deep tree; its depth is bounded like nesting is.
        if (++operators_ > kMaxOperators)
            fail_at(at.line, at.column, "the condition has more than " + std::to_string(kMaxOperators) + " operators");
        NodePtr n = node(kind, at, op);
        n->line = l->line;
        n->column = l->column;
        n->children.push_back(std::move(l));
        n->children.push_back(std::move(r));
        return n;
    }

    NodePtr parse_or() {
        NodePtr left = parse_and();
        while (at_keyword("or")) {
            const Token& op = take();
            need_condition(*left);
            NodePtr right = parse_and();
            need_condition(*right);
            left = binary(ConditionNode::Or, op, "or", std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parse_and() {
        NodePtr left = parse_not();
        while (at_keyword("and")) {
            const Token& op = take();
            need_condition(*left);
            NodePtr right = parse_not();
            need_condition(*right);
            left = binary(ConditionNode::And, op, "and", std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parse_not() {
        if (at_keyword("not")) {
            Nesting nesting(*this);
            const Token& op = take();
            NodePtr inner = parse_not();
            need_condition(*inner);
            NodePtr n = node(ConditionNode::Not, op, "not");
            n->children.push_back(std::move(inner));
            return n;
        }
        return parse_compare();
    }

    NodePtr parse_compare() {
        NodePtr left = parse_sum();
        if (is_compare_op(peek())) {
            const Token& op = take();
            NodePtr right = parse_sum();
            bool ordering = op.text != "==" && op.text != "!=";
            if (ordering) {
                need_value(*left);
                need_value(*right);
            }
            return binary(ConditionNode::Compare, op, op.text, std::move(left), std::move(right));
        }
        bool negated = false;
        if (at_keyword("not") && pos_ + 1 < t_.size() && t_[pos_ + 1].kind == Tok::Keyword && t_[pos_ + 1].text == "in") {
            take();
            negated = true;
        }
        if (at_keyword("in")) {
            const Token& op = take();
            need_value(*left);
            NodePtr n = node(ConditionNode::In, op, negated ? "not in" : "in");
            n->line = left->line;
            n->column = left->column;
            n->children.push_back(std::move(left));
            if (!at_op("(")) fail_here("expected '(' after '" + prev().shown + "'");
            take();
            for (;;) {
                NodePtr item = parse_sum();
                need_value(*item);
                n->children.push_back(std::move(item));
                if (at_op(",")) {
                    take();
                    continue;
                }
                if (!at_op(")")) fail_here("expected ',' or ')' after '" + prev().shown + "'");
                take();
                return n;
            }
        }
        return left;
    }

    NodePtr parse_sum() {
        NodePtr left = parse_product();
        while (at_op("+") || at_op("-")) {
            const Token& op = take();
            NodePtr right = parse_product();
            need_number(*left);
            need_number(*right);
            left = binary(ConditionNode::Arith, op, op.text, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parse_product() {
        NodePtr left = parse_unary();
        while (at_op("*") || at_op("/")) {
            const Token& op = take();
            NodePtr right = parse_unary();
            need_number(*left);
            need_number(*right);
            left = binary(ConditionNode::Arith, op, op.text, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parse_unary() {
        if (at_op("-")) {
            Nesting nesting(*this);
            const Token& op = take();
            NodePtr inner = parse_unary();
            need_number(*inner);
            NodePtr n = node(ConditionNode::Negate, op, "-");
            n->children.push_back(std::move(inner));
            return n;
        }
        return parse_primary();
    }

    // Deep nesting is refused before it can exhaust the stack.
    struct Nesting {
        int& depth;
        Nesting(Parser& p) : depth(p.depth_) {
            if (++depth > kMaxDepth) p.fail_here("the condition is nested too deeply");
        }
        ~Nesting() { --depth; }
    };
    static constexpr int kMaxDepth = 200;

    NodePtr parse_primary() {
        Nesting nesting(*this);
        const Token& t = peek();
        switch (t.kind) {
        case Tok::Number: take(); return leaf(ConditionNode::Number, t);
        case Tok::String: take(); return leaf(ConditionNode::String, t);
        case Tok::Ident: take(); return leaf(ConditionNode::Attribute, t);
        case Tok::Keyword:
            if (t.text == "true" || t.text == "false") {
                take();
                return leaf(ConditionNode::Boolean, t);
            }
            break;
        case Tok::Op:
            if (t.text == "(") {
                take();
                NodePtr inner = parse_or();
                if (!at_op(")"))
                    fail_here("expected ')' after '" + prev().shown + "' to close the '(' at line " + std::to_string(t.line) +
                              ", column " + std::to_string(t.column));
                take();
                return inner;
            }
            break;
        case Tok::End: break;
        }
        if (pos_ == 0) fail_here("expected a condition, found '" + t.shown + "'");
        if (t.kind == Tok::End) fail_here("expected a value after '" + prev().shown + "'");
        fail_here("expected a value after '" + prev().shown + "', found '" + t.shown + "'");
    }

    static NodePtr leaf(ConditionNode::Kind kind, const Token& t) {
        NodePtr n = node(kind, t);
        n->text = t.text;
        return n;
    }

    static constexpr int kMaxOperators = 4096;

    std::vector<Token> t_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    int operators_ = 0;
};

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\t') {
            out += "\\t";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

ConditionParse parse_condition(const std::string& code) {
    ConditionParse out;
    if (code.size() > kMaxConditionCode) {
        out.error = ConditionError{1, 1, "the condition code is longer than " + std::to_string(kMaxConditionCode) + " bytes"};
        return out;
    }
    try {
        out.tree = Parser(Lexer(code).run()).condition();
    } catch (const Failure& f) {
        out.tree.reset();
        out.error = f.error;
    }
    return out;
}

std::optional<std::string> condition_code_error(const std::string& code) {
    ConditionParse p = parse_condition(code);
    if (p.error) return p.error->text();
    return std::nullopt;
}

std::string condition_to_string(const ConditionNode& node) {
    switch (node.kind) {
    case ConditionNode::Attribute:
    case ConditionNode::Number:
    case ConditionNode::Boolean: return node.text;
    case ConditionNode::String: return quote(node.text);
    default: break;
    }
    std::string out = "(" + node.op;
    for (const auto& child : node.children) out += " " + condition_to_string(*child);
    return out + ")";
}

}  // namespace varo
