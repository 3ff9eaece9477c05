"""Finds the mutants of one C++ source file.

A small lexer (comments, strings, character literals and preprocessor lines
are never touched) and a brace tracker that knows whether a token lies inside
a function body. Each operator proposes edits of the original text; a mutant
is one such edit, applied alone.
"""

import hashlib
import re
from dataclasses import dataclass, field

PUNCTUATORS = sorted("""
<<= >>= <=> ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .*
{ } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #
""".split(), key=len, reverse=True)

KEYWORDS_BEFORE_PAREN = {"if", "while", "for", "switch", "return", "sizeof", "alignof", "decltype",
                         "catch", "static_assert", "noexcept", "new", "delete", "throw", "case",
                         "co_return", "typeid", "alignas", "defined"}
TEMPLATE_OPENERS = {"template", "static_cast", "dynamic_cast", "reinterpret_cast", "const_cast"}
STATEMENT_KEYWORDS = {"if", "else", "for", "while", "do", "switch", "case", "default", "return",
                      "break", "goto", "try", "catch", "throw", "co_return", "using", "typedef",
                      "static_assert", "public", "private", "protected", "namespace", "struct",
                      "class", "enum", "union", "template", "friend"}
TYPE_WORDS = {"const", "constexpr", "static", "auto", "unsigned", "signed", "int", "char", "bool",
              "long", "short", "float", "double", "void", "volatile", "thread_local", "inline",
              "mutable", "register", "extern", "struct", "class", "enum", "typename"}
FUNCTION_TAIL_WORDS = {"const", "override", "final", "noexcept", "mutable"}
INTEGER_RE = re.compile(r"^(0[xX][0-9a-fA-F']+|0[bB][01']+|[0-9][0-9']*)([uUlLzZ]*)$")

# The operators, by family. Each name is what the report shows.
OPERATORS = {
    "relational": "swap a comparison: < <=, > >=, == !=",
    "arithmetic": "swap an arithmetic or bit operator: + -, * /, % /, & |, << >>, += -=, ++ --",
    "logical": "swap && and ||",
    "constant": "move an integer constant by one either way; swap true and false",
    "negate": "negate an if or while condition; drop a !",
    "delete": "delete an expression statement",
    "swap-args": "swap two neighbouring arguments of a call",
    "early-return": "return at the start of a function body",
}


@dataclass
class Token:
    kind: str       # ident, number, string, char, punct
    text: str
    start: int
    end: int
    space_before: bool
    space_after: bool = False


@dataclass
class Mutant:
    file: str
    operator: str
    line: int
    edits: list                 # [(start, end, replacement)], applied together
    description: str
    ident: str = ""
    context: str = field(default="", repr=False)

    def apply(self, text):
        for start, end, replacement in sorted(self.edits, reverse=True):
            text = text[:start] + replacement + text[end:]
        return text


def tokenize(text):
    tokens = []
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "#" and at_line_start:
            # Preprocessor line, with backslash continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    i += 2
                    continue
                i += 1
            continue
        at_line_start = False
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if text.startswith("/*", i):
            close = text.find("*/", i + 2)
            i = n if close < 0 else close + 2
            continue
        space = i > 0 and text[i - 1] in " \t\r\n"
        raw = re.match(r'(u8|u|U|L)?R"([^(\s]*)\(', text[i:])
        if raw:
            close = text.find(")" + raw.group(2) + '"', i + raw.end())
            end = n if close < 0 else close + len(raw.group(2)) + 2
            tokens.append(Token("string", text[i:end], i, end, space))
            i = end
            continue
        prefix = re.match(r'(u8|u|U|L)?(["\'])', text[i:])
        if prefix and (prefix.group(1) is None or not (i > 0 and (text[i - 1].isalnum() or text[i - 1] == "_"))):
            quote = prefix.group(2)
            j = i + prefix.end()
            while j < n and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            end = min(j + 1, n)
            tokens.append(Token("string" if quote == '"' else "char", text[i:end], i, end, space))
            i = end
            continue
        if c.isalpha() or c == "_":
            j = i
            while j < n and (text[j].isalnum() or text[j] == "_"):
                j += 1
            tokens.append(Token("ident", text[i:j], i, j, space))
            i = j
            continue
        if c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            j = i + 1
            while j < n:
                if text[j] in "eEpP" and j + 1 < n and text[j + 1] in "+-" and not text[i:j].lower().startswith("0x"):
                    j += 2
                elif text[j].isalnum() or text[j] in "_.'":
                    j += 1
                else:
                    break
            tokens.append(Token("number", text[i:j], i, j, space))
            i = j
            continue
        for p in PUNCTUATORS:
            if text.startswith(p, i):
                tokens.append(Token("punct", p, i, i + len(p), space))
                i += len(p)
                break
        else:
            i += 1
    for k, t in enumerate(tokens):
        t.space_after = t.end < n and text[t.end] in " \t\r\n"
    return tokens


def is_value_end(tok):
    """True where the token can end an operand, so a following + or * is binary."""
    if tok is None:
        return False
    if tok.kind in ("number", "string", "char"):
        return True
    if tok.kind == "ident":
        return tok.text not in KEYWORDS_BEFORE_PAREN and tok.text not in ("else", "do", "operator")
    return tok.text in (")", "]")


class Analysis:
    """Which tokens lie in function bodies, and which angle brackets are templates."""

    def __init__(self, tokens):
        self.tokens = tokens
        self.in_function = [False] * len(tokens)
        self.template_brackets = set()
        self.function_bodies = []       # (index of '{', index of '}')
        self.matching = {}
        self.enclosing = [None] * len(tokens)   # index of the innermost open bracket
        self._brackets()
        self._templates()
        self._scopes()

    def _brackets(self):
        stack = []
        for i, t in enumerate(self.tokens):
            self.enclosing[i] = stack[-1] if stack else None
            if t.text in "([{" and t.kind == "punct":
                stack.append(i)
            elif t.text in ")]}" and t.kind == "punct" and stack:
                j = stack.pop()
                self.matching[j] = i
                self.matching[i] = j

    def _templates(self):
        toks = self.tokens
        for i, t in enumerate(toks):
            if t.text != "<" or i in self.template_brackets:
                continue
            prev = toks[i - 1] if i else None
            if prev is not None and prev.text == "operator":
                continue
            closers = self._template_close(i)
            if closers:
                self.template_brackets.add(i)
                self.template_brackets.update(closers)

    def _template_close(self, i):
        toks = self.tokens
        depth, paren, closers = 1, 0, []
        for j in range(i + 1, min(len(toks), i + 60)):
            x = toks[j].text
            if toks[j].kind != "punct":
                continue
            if x in ("(", "["):
                paren += 1
            elif x in (")", "]"):
                paren -= 1
                if paren < 0:
                    return None
            elif paren == 0 and x in (";", "{", "}", "&&", "||", "?", "=", "==", "!=", "<=", ">=", "+=", "-=", "|", "^"):
                return None
            elif x == "<" and paren == 0:
                depth += 1
            elif x == ">" and paren == 0:
                depth -= 1
                closers.append(j)
                if depth == 0:
                    return closers
            elif x == ">>" and paren == 0:
                depth -= 2
                closers.append(j)
                if depth <= 0:
                    return closers
        return None

    def _scopes(self):
        toks = self.tokens
        stack = []          # kinds of the open braces
        for i, t in enumerate(toks):
            inside = "function" in stack
            self.in_function[i] = inside
            if t.kind != "punct":
                continue
            if t.text == "{":
                kind = "block"
                if not inside and self._opens_function(i):
                    kind = "function"
                    self.function_bodies.append((i, self.matching.get(i, len(toks) - 1)))
                stack.append(kind)
            elif t.text == "}" and stack:
                stack.pop()

    def _opens_function(self, i):
        toks = self.tokens
        if i == 0:
            return False
        j = i - 1
        while j >= 0 and toks[j].text in FUNCTION_TAIL_WORDS:
            j -= 1
        if j < 0:
            return False
        if toks[j].text == ")":
            opener = self.matching.get(j)
            return opener is not None and opener > 0 and toks[opener - 1].kind == "ident" \
                and toks[opener - 1].text not in KEYWORDS_BEFORE_PAREN
        if toks[j].text == "}":
            # The end of a braced member initialiser: Foo() : a_{x} {
            k = self.matching.get(j)
            while k is not None and k > 0:
                k -= 1
                if toks[k].text == ":" and k > 0 and toks[k - 1].text in (")",) | FUNCTION_TAIL_WORDS:
                    return True
                if toks[k].text in (";", "{") and toks[k].kind == "punct":
                    return False
                if toks[k].text in (")", "}") and k in self.matching:
                    k = self.matching[k]
        return False


class MutantFinder:
    def __init__(self, path, text, operators=None):
        self.path = path
        self.text = text
        self.tokens = tokenize(text)
        self.info = Analysis(self.tokens)
        self.operators = operators or list(OPERATORS)
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def line_of(self, offset):
        lo, hi = 0, len(self.line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if self.line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return lo + 1

    def find(self):
        found = []
        for op in self.operators:
            found.extend(getattr(self, "_op_" + op.replace("-", "_"))())
        unique, seen_texts, seen_ids = [], set(), {}
        for m in sorted(found, key=lambda m: (m.edits[0][0], m.operator, m.description)):
            mutated = m.apply(self.text)
            if mutated == self.text or mutated in seen_texts:
                continue
            seen_texts.add(mutated)
            m.line = self.line_of(m.edits[0][0])
            m.ident = self._stable_id(m, seen_ids)
            unique.append(m)
        return unique

    def _stable_id(self, m, seen):
        # Built from the text of the line rather than its number, so marks in
        # the equivalence file survive edits elsewhere in the file.
        start = m.edits[0][0]
        line_start = self.line_starts[m.line - 1]
        line_end = self.text.find("\n", line_start)
        line = self.text[line_start:line_end if line_end >= 0 else len(self.text)]
        stripped = line.strip()
        column = start - line_start - (len(line) - len(line.lstrip()))
        key = "|".join([self.path, m.operator, stripped, str(column), m.description])
        seen[key] = seen.get(key, 0) + 1
        key += "|%d" % seen[key]
        m.context = stripped
        return hashlib.sha1(key.encode()).hexdigest()[:10]

    def _mutant(self, op, edits, description):
        return Mutant(self.path, op, 0, edits, description)

    def _neighbours(self, i):
        toks = self.tokens
        return (toks[i - 1] if i > 0 else None), (toks[i + 1] if i + 1 < len(toks) else None)

    def _binary(self, i, need_spaces=False):
        t = self.tokens[i]
        prev, nxt = self._neighbours(i)
        if not is_value_end(prev) or nxt is None:
            return False
        if need_spaces and not (t.space_before and t.space_after):
            return False
        return True

    # -- operators ---------------------------------------------------------

    def _op_relational(self):
        swaps = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
        out = []
        for i, t in enumerate(self.tokens):
            if t.kind != "punct" or t.text not in swaps or not self.info.in_function[i]:
                continue
            if i in self.info.template_brackets or not self._binary(i):
                continue
            out.append(self._mutant("relational", [(t.start, t.end, swaps[t.text])], "%s -> %s" % (t.text, swaps[t.text])))
        return out

    def _op_arithmetic(self):
        binary = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "/", "&": "|", "|": "&", "^": "&",
                  "<<": ">>", ">>": "<<"}
        assign = {"+=": "-=", "-=": "+=", "*=": "/=", "/=": "*=", "|=": "&=", "&=": "|=", "<<=": ">>=", ">>=": "<<="}
        step = {"++": "--", "--": "++"}
        out = []
        toks = self.tokens
        for i, t in enumerate(toks):
            if t.kind != "punct" or not self.info.in_function[i]:
                continue
            prev, nxt = self._neighbours(i)
            replacement = None
            if t.text in binary and i not in self.info.template_brackets:
                spaced = t.text in ("*", "&", "<<", ">>")
                if self._binary(i, need_spaces=spaced) and not (prev.kind == "string" or nxt.kind == "string"):
                    replacement = binary[t.text]
            elif t.text in assign:
                replacement = assign[t.text]
            elif t.text in step:
                replacement = step[t.text]
            if replacement:
                out.append(self._mutant("arithmetic", [(t.start, t.end, replacement)], "%s -> %s" % (t.text, replacement)))
        return out

    def _op_logical(self):
        out = []
        for i, t in enumerate(self.tokens):
            if t.text in ("&&", "||") and t.kind == "punct" and self.info.in_function[i] and self._binary(i, True):
                other = "||" if t.text == "&&" else "&&"
                out.append(self._mutant("logical", [(t.start, t.end, other)], "%s -> %s" % (t.text, other)))
        return out

    def _op_constant(self):
        out = []
        toks = self.tokens
        for i, t in enumerate(toks):
            if t.kind == "ident" and t.text in ("true", "false") and self.info.in_function[i]:
                other = "false" if t.text == "true" else "true"
                out.append(self._mutant("constant", [(t.start, t.end, other)], "%s -> %s" % (t.text, other)))
                continue
            if t.kind != "number":
                continue
            m = INTEGER_RE.match(t.text)
            if not m:
                continue
            digits, suffix = m.group(1).replace("'", ""), m.group(2)
            if digits.lower().startswith("0x"):
                value, fmt = int(digits, 16), (lambda v: "0x%X" % v)
            elif digits.lower().startswith("0b"):
                value, fmt = int(digits[2:], 2), (lambda v: "0b" + bin(v)[2:])
            elif len(digits) > 1 and digits.startswith("0"):
                value, fmt = int(digits, 8), (lambda v: "0%o" % v)
            else:
                value, fmt = int(digits), str
            parent = self.info.enclosing[i]
            if not self.info.in_function[i] and parent is not None and toks[parent].text in "([":
                continue
            if parent is not None and self._array_bound(parent):
                continue
            for delta in (1, -1):
                if value + delta < 0:
                    continue
                new = fmt(value + delta) + suffix
                out.append(self._mutant("constant", [(t.start, t.end, new)], "%s -> %s" % (t.text, new)))
        return out

    def _op_negate(self):
        out = []
        toks = self.tokens
        for i, t in enumerate(toks):
            if not self.info.in_function[i]:
                continue
            if t.kind == "ident" and t.text in ("if", "while") and i + 1 < len(toks) and toks[i + 1].text == "(":
                if i > 0 and toks[i - 1].text == "}" and t.text == "while":
                    pass  # do { } while (...)
                open_, close = i + 1, self.info.matching.get(i + 1)
                if close is None:
                    continue
                if any(toks[k].text == ";" for k in range(open_ + 1, close)) and t.text == "if":
                    continue  # if (init; cond)
                edits = [(toks[open_].end, toks[open_].end, "!("), (toks[close].start, toks[close].start, ")")]
                out.append(self._mutant("negate", edits, "%s (c) -> %s (!(c))" % (t.text, t.text)))
            elif t.kind == "punct" and t.text == "!":
                prev = toks[i - 1] if i else None
                if prev is not None and prev.text == "operator":
                    continue
                if self._whole_condition(i):
                    continue  # the same as negating the condition
                out.append(self._mutant("negate", [(t.start, t.end, "")], "drop !"))
        return out

    def _array_bound(self, bracket):
        # The size in a declaration such as "uint8_t data[255]": a larger or
        # smaller buffer is rarely a fault the program could show.
        toks = self.tokens
        if toks[bracket].text != "[" or bracket < 2 or toks[bracket - 1].kind != "ident":
            return False
        before = toks[bracket - 2]
        return before.kind == "ident" and before.text not in KEYWORDS_BEFORE_PAREN \
            or bracket - 2 in self.info.template_brackets

    def _whole_condition(self, i):
        toks = self.tokens
        opener = i - 1
        if toks[opener].text != "(" or opener == 0 or toks[opener - 1].text not in ("if", "while"):
            return False
        close = self.info.matching.get(opener)
        j = i + 1
        while close is not None and j < close:
            if toks[j].kind == "punct" and toks[j].text in ("(", "[", "{"):
                j = self.info.matching.get(j, j) + 1
                continue
            if toks[j].text in ("&&", "||", "?"):
                return False
            j += 1
        return True

    def _statement_starts(self):
        toks = self.tokens
        for i, t in enumerate(toks):
            if not self.info.in_function[i] or i == 0:
                continue
            parent = self.info.enclosing[i]
            if parent is None or toks[parent].text != "{":
                continue
            prev = toks[i - 1]
            if prev.text in (";", "{", "}") or prev.text == "else":
                yield i
            elif prev.text == ")" and prev.kind == "punct":
                opener = self.info.matching.get(i - 1)
                if opener and opener > 0 and toks[opener - 1].text in ("if", "while", "for"):
                    yield i

    def _statement_end(self, i):
        toks = self.tokens
        j = i
        while j < len(toks):
            x = toks[j].text
            if toks[j].kind == "punct" and x in ("(", "[", "{"):
                j = self.info.matching.get(j, j) + 1
                continue
            if toks[j].kind == "punct" and x in (";", "}", ")"):
                return j if x == ";" else None
            j += 1
        return None

    def _is_declaration(self, i, end):
        toks = self.tokens
        if toks[i].text in TYPE_WORDS:
            return True
        prev_name = False
        j = i
        while j < end:
            t = toks[j]
            if t.kind == "punct" and t.text in ("=", "(", "{", "[", ".", "->", "+=", "-=", "++", "--", ";"):
                return False
            if t.kind == "ident":
                if prev_name:
                    return True
                prev_name = True
            elif t.text == "<" and j in self.info.template_brackets:
                j = self._skip_template(j)
                prev_name = True
                continue
            elif t.text in ("*", "&", "&&"):
                pass
            elif t.text == "::":
                prev_name = False
            else:
                prev_name = False
            j += 1
        return False

    def _skip_template(self, j):
        depth = 0
        toks = self.tokens
        while j < len(toks):
            if j in self.info.template_brackets:
                depth += {"<": 1, ">": -1, ">>": -2}[toks[j].text]
                if depth <= 0:
                    return j + 1
            j += 1
        return j

    def _op_delete(self):
        out = []
        toks = self.tokens
        for i in self._statement_starts():
            t = toks[i]
            if t.kind == "punct" and t.text not in ("*", "++", "--", "("):
                continue
            if t.kind == "ident" and t.text in STATEMENT_KEYWORDS:
                continue
            if t.kind not in ("ident", "punct"):
                continue
            end = self._statement_end(i)
            if end is None or end == i:
                continue
            if self._is_declaration(i, end):
                continue
            words = " ".join(x.text for x in toks[i:min(end, i + 6)])
            out.append(self._mutant("delete", [(t.start, toks[end].end, "{}")], "delete '%s'" % words[:40]))
        return out

    def _op_swap_args(self):
        out = []
        toks = self.tokens
        for i, t in enumerate(toks):
            if t.text != "(" or t.kind != "punct" or not self.info.in_function[i] or i == 0:
                continue
            callee = toks[i - 1]
            if callee.kind != "ident" or callee.text in KEYWORDS_BEFORE_PAREN | STATEMENT_KEYWORDS | TYPE_WORDS:
                continue
            close = self.info.matching.get(i)
            if close is None or close == i + 1:
                continue
            args, start = [], i + 1
            j = i + 1
            while j < close:
                x = toks[j]
                if x.kind == "punct" and x.text in ("(", "[", "{"):
                    j = self.info.matching.get(j, j) + 1
                    continue
                if x.text == "<" and j in self.info.template_brackets:
                    j = self._skip_template(j)
                    continue
                if x.kind == "punct" and x.text == ",":
                    args.append((start, j - 1))
                    start = j + 1
                j += 1
            args.append((start, close - 1))
            if len(args) < 2:
                continue
            for (a0, a1), (b0, b1) in zip(args, args[1:]):
                if a1 < a0 or b1 < b0:
                    continue
                a_text = self.text[toks[a0].start:toks[a1].end]
                b_text = self.text[toks[b0].start:toks[b1].end]
                if a_text == b_text or {toks[a0].kind, toks[b0].kind} == {"string", "ident"}:
                    continue
                edits = [(toks[a0].start, toks[a1].end, b_text), (toks[b0].start, toks[b1].end, a_text)]
                out.append(self._mutant("swap-args", edits, "%s(%s <-> %s)" % (callee.text, a_text[:20], b_text[:20])))
        return out

    def _op_early_return(self):
        out = []
        toks = self.tokens
        for open_, close in self.info.function_bodies:
            if close <= open_ + 1 or toks[open_ + 1].text == "return":
                continue
            statement = self._return_statements(open_)
            for s in statement:
                out.append(self._mutant("early-return", [(toks[open_].end, toks[open_].end, " " + s)], s))
        return out

    def _return_statements(self, open_):
        toks = self.tokens
        j = open_ - 1
        while j >= 0 and toks[j].text in FUNCTION_TAIL_WORDS:
            j -= 1
        if toks[j].text == "}":                     # constructor with braced initialisers
            return ["return;"]
        params = self.info.matching.get(j)
        if params is None or params < 1:
            return []
        k = params - 1                               # the function's name
        if k > 0 and toks[k - 1].text == "~":
            return ["return;"]
        name = toks[k].text
        k -= 1
        while k >= 1 and toks[k].text == "::":
            if toks[k - 1].text == name:             # Class::Class
                return ["return;"]
            k -= 2
        before = toks[k] if k >= 0 else None
        if before is None or before.text in (";", "}", "{", ":", ")"):
            return ["return;"]                        # constructor declared in its class
        if before.text == "void":
            return ["return;"]
        if before.text == "bool":
            return ["return false;", "return true;"]
        if before.text == "*":
            return ["return nullptr;"]
        if before.text in ("&", "&&", "auto") or (before.text == ">" and toks[k - 1].text == "-"):
            return []
        if before.text in ("int", "size_t", "uint8_t", "uint16_t", "uint32_t", "uint64_t", "int8_t", "int16_t",
                           "int32_t", "int64_t", "long", "unsigned", "short", "char", "double", "float", "DWORD",
                           "LONG", "UINT", "HRESULT", "BOOL"):
            return ["return 0;"]
        return ["return {};"]
