#!/usr/bin/python3
"""Mutation testing: how many small faults in the game code the test suite catches.

One fault at a time (a mutant) goes into a copy of the sources in build-mutate/src; the
copy is built in build-mutate/build (-O1, no debug info, lld, ccache), and the tests run
straight from their programs, the golden run first, then the test program of the mutant's
folder, then the rest, those that caught most so far first. The first failing test kills
the mutant. The repository's own files are never written, except the report.

  tools/mutate.py --sample 250 --seed 1      # the fixed sample, spread over every folder
  tools/mutate.py --all                      # every mutant (a night)
  tools/mutate.py --list [--only REGEX]      # the mutants, nothing run
  tools/mutate.py --sample 250 --list        # the sample's mutants, nothing run
  tools/mutate.py --sample 250 --matrix      # every test on every mutant: which tests kill what
  tools/mutate.py --sample 15 --seed 1 --report-name trial
  tools/mutate.py --sample 250 --seed 1 --report   # the report of a run cut short, nothing run
  tools/mutate.py --sample 250 --seed 1 --only '^platform/music/' --build-jobs 1
                                             # the sample's mutants of one folder, one build job

The report goes to docs/mutation/<name>.md: scores per folder, file and kind of fault,
and every surviving mutant as a diff. Results are kept in build-mutate/results.jsonl for
the same sources and tests, so an interrupted run (Ctrl-C) goes on where it stopped. A
kill is kept beyond that while the mutated file is the same and the test that made it is
still in the suite under its name: new tests then cost only the survivors' runs.
"""
import argparse
import bisect
import collections
import datetime
import difflib
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-mutate"
MIRROR = WORK / "src"
BUILD = WORK / "build"
RESULTS = WORK / "results.jsonl"
APPLIED = WORK / "applied"  # names the mirror file that holds a mutant right now
BASELINE = WORK / "baseline.json"  # the unchanged suite's test times, by fingerprint
REPORTS = ROOT / "docs" / "mutation"

# The game's folders and the stand-in; every folder under platform/ is found at the start.
TOP_FOLDERS = ["app", "gfx", "game", "scenes", "records", "platform"]
# Each folder's least share of a sample, so that a small folder's score means something; a
# sample of SCORED_SAMPLE or more gives it to every folder, even beyond the sample's size.
FOLDER_FLOOR = 15
SCORED_SAMPLE = 100
# Only main() of the SDL binary; no test program links it.
EXCLUDED_SOURCES = {"app/entry_main.cpp"}
# Tests that start the real SDL binary, and the long soak, are left out by default.
DEFAULT_SKIP = r"^(test_e2e|test_install) |^\S+ Soak\."
GOLDEN_TEST = "Golden.TheWholeRingDrawsAndSoundsAsRecorded"
# Files no test in a run reads (the developer notes, a report written): a change to them
# keeps the results.
UNFINGERPRINTED = re.compile(r"^(docs/|tools/mutate\.py$)")
BUILD_TIMEOUT = 600
# A test that guards itself with a watchdog (alarm(10) in a child) gets the time to use it.
MIN_TEST_TIMEOUT = 30.0

# --- Finding the mutants ----------------------------------------------------------------

TOKEN = re.compile(
    r"""(?P<space>\s+)
      | (?P<comment>//[^\n]*|/\*.*?\*/)
      | (?P<string>(?:u8|[uUL])?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"
                  |(?:u8|[uUL])?"(?:\\.|[^"\\\n])*"
                  |(?:u8|[uUL])?'(?:\\.|[^'\\\n])*')
      | (?P<number>(?:0[xX][0-9a-fA-F']+|\d[\d']*(?:\.\d*)?(?:[eE][+-]?\d+)?|\.\d+(?:[eE][+-]?\d+)?)[uUlLfF]*)
      | (?P<ident>[A-Za-z_]\w*)
      | (?P<op>->|\+\+|--|<<=|>>=|<=>|<<|>>|<=|>=|==|!=|&&|\|\||[-+*/%&|^]=|::
              |[-+*/%&|^!~<>=?:.,;(){}\[\]])""",
    re.S | re.X,
)

KEYWORDS = {
    "return", "if", "for", "while", "switch", "case", "default", "break", "continue", "goto", "do",
    "else", "const", "constexpr", "static", "auto", "using", "namespace", "struct", "class", "enum",
    "typedef", "template", "try", "throw", "new", "delete", "inline", "extern", "unsigned", "signed",
    "void", "bool", "char", "int", "long", "short", "float", "double", "public", "private", "protected",
}
RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*", "+=": "-=", "-=": "+=", "*=": "/=",
              "/=": "*=", "++": "--", "--": "++"}
LOGICAL = {"&&": "||", "||": "&&"}
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^=", "<<=", ">>="}
# A '{' after one of these opens a block of statements (not an initializer).
BLOCK_OPENERS = {")", "else", "do", "{", "}", ";", "const", "override", "noexcept", "try", "]", "mutable"}


class Tok:
    __slots__ = ("kind", "text", "start", "end")

    def __init__(self, kind, text, start, end):
        self.kind, self.text, self.start, self.end = kind, text, start, end


def tokenize(text):
    """Tokens of the code, without comments, string and character literals, and
    preprocessor lines."""
    tokens = []
    pos = 0
    line_start = True
    while pos < len(text):
        if line_start:
            stripped = len(text) - len(text[pos:].lstrip(" \t"))
            if text.startswith("#", stripped):
                end = stripped
                while True:
                    end = text.find("\n", end)
                    if end < 0:
                        return tokens
                    if text[end - 1] != "\\":
                        break
                    end += 1
                pos = end
                continue
        match = TOKEN.match(text, pos)
        if not match:
            pos += 1
            line_start = False
            continue
        kind = match.lastgroup if match.lastgroup != "delim" else "string"
        if kind in ("number", "ident", "op"):
            tokens.append(Tok(kind, match.group(), match.start(), match.end()))
        if kind == "space":
            line_start = "\n" in match.group() or line_start
        elif kind != "comment":
            line_start = False
        pos = match.end()
    return tokens


def spaced(text, tok):
    """Written with a space on each side, as this code writes binary operators (and not
    template brackets, pointers or references)."""
    return tok.start > 0 and text[tok.start - 1] in " \n" and tok.end < len(text) and text[tok.end] in " \n"


def operand_end(tok):
    return tok.kind in ("ident", "number") or tok.text in (")", "]")


def matching(tokens, i):
    """Index of the bracket closing the one at i, or None."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    opening, closing = tokens[i].text, pairs[tokens[i].text]
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j].text == opening:
            depth += 1
        elif tokens[j].text == closing:
            depth -= 1
            if depth == 0:
                return j
    return None


def statement_end(tokens, i):
    """Index of the ';' ending the expression statement starting at i, or None."""
    depth = 0
    for j in range(i, len(tokens)):
        t = tokens[j].text
        if t in ("(", "[", "{"):
            depth += 1
        elif t in (")", "]", "}"):
            depth -= 1
            if depth < 0:
                return None
        elif t == ";" and depth == 0:
            return j
    return None


def block_braces(tokens):
    """Indices of the '{' that open blocks of statements."""
    return {i for i, t in enumerate(tokens)
            if t.text == "{" and i > 0 and tokens[i - 1].text in BLOCK_OPENERS}


def table_numbers(tokens):
    """Indices of the numbers in data tables (a brace list of eight or more numbers, such as
    a glyph row): moving one changes data, not logic, and there are hundreds."""
    inside = set()
    stack = []
    for i, t in enumerate(tokens):
        if t.text == "{":
            stack.append([])
        elif t.text == "}" and stack:
            numbers = stack.pop()
            if len(numbers) >= 8:
                inside.update(numbers)
        elif t.kind == "number" and stack:
            stack[-1].append(i)
    return inside


def script_tokens(tokens):
    """Indices of the tokens inside Emscripten's EM_JS and EM_ASM macros: JavaScript, which
    no native build compiles (the browser's own tests run it)."""
    inside = set()
    for i, t in enumerate(tokens):
        if t.kind == "ident" and re.fullmatch(r"EM_(ASYNC_)?JS|EM_ASM\w*", t.text) and i + 1 < len(tokens) \
                and tokens[i + 1].text == "(":
            close = matching(tokens, i + 1)
            inside.update(range(i, (close if close is not None else len(tokens) - 1) + 1))
    return inside


def is_removable_statement(tokens, i, blocks):
    """A call or an assignment standing alone as a statement: `Foo(x);`, `a.b[i] = c;`, `++n;`
    is not (it starts with an operator), but `n++;` is."""
    prev = tokens[i - 1] if i > 0 else None
    if prev is None or not (prev.text in (";", "}") or (prev.text == "{" and i - 1 in blocks)):
        return False
    if tokens[i].kind != "ident" or tokens[i].text in KEYWORDS:
        return False
    j = i + 1
    while j < len(tokens):  # a name with members and subscripts: a::b.c->d[e]
        t = tokens[j].text
        if t in ("::", ".", "->") and j + 1 < len(tokens) and tokens[j + 1].kind == "ident":
            j += 2
        elif t == "[":
            close = matching(tokens, j)
            if close is None:
                return False
            j = close + 1
        else:
            break
    return j < len(tokens) and (tokens[j].text == "(" or tokens[j].text in ASSIGNMENTS or
                                tokens[j].text in ("++", "--"))


def line_col(text, offset, line_starts):
    line = bisect.bisect_right(line_starts, offset)
    return line, offset - line_starts[line - 1] + 1


def mutants_of(path, text):
    """Every mutant of one source, in order: dicts with the edits to make."""
    tokens = tokenize(text)
    blocks = block_braces(tokens)
    tables = table_numbers(tokens)
    scripts = script_tokens(tokens)
    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]
    found = []

    def add(kind, edits, what):
        offset = edits[0][0]
        line, col = line_col(text, offset, line_starts)
        found.append({"file": path, "line": line, "col": col, "kind": kind, "what": what,
                      "text": text[line_starts[line - 1]:text.find("\n", offset)].strip(),
                      "edits": edits, "id": f"{path}:{line}:{col}:{kind}:{what}"})

    for i, tok in enumerate(tokens):
        if i in scripts:
            continue
        prev = tokens[i - 1] if i > 0 else None
        nxt = tokens[i + 1] if i + 1 < len(tokens) else None
        t = tok.text
        if tok.kind == "op" and t in RELATIONAL and spaced(text, tok):
            add("relational", [(tok.start, tok.end, RELATIONAL[t])], f"{t} -> {RELATIONAL[t]}")
        elif tok.kind == "op" and t in LOGICAL and spaced(text, tok):
            add("condition", [(tok.start, tok.end, LOGICAL[t])], f"{t} -> {LOGICAL[t]}")
        elif tok.kind == "op" and t in ("++", "--"):
            if (prev is not None and operand_end(prev)) or (nxt is not None and nxt.kind == "ident"):
                add("arithmetic", [(tok.start, tok.end, ARITHMETIC[t])], f"{t} -> {ARITHMETIC[t]}")
        elif tok.kind == "op" and t in ARITHMETIC and spaced(text, tok) and prev is not None and operand_end(prev):
            add("arithmetic", [(tok.start, tok.end, ARITHMETIC[t])], f"{t} -> {ARITHMETIC[t]}")
        elif tok.kind == "number" and i not in tables and re.fullmatch(r"(0[xX][0-9a-fA-F]+|\d+)[uUlL]*", t):
            digits = re.match(r"0[xX][0-9a-fA-F]+|\d+", t).group()
            suffix = t[len(digits):]
            if prev is not None and prev.text == "<" and not spaced(text, prev):
                continue  # a template argument
            if digits[:2] in ("0x", "0X"):
                new = f"0x{int(digits, 16) + 1:0{len(digits) - 2}X}"
            elif digits.startswith("0") and len(digits) > 1:  # octal, as file modes are written
                new = f"0{int(digits, 8) + 1:o}"
            else:
                new = str(int(digits) + 1)
            new += suffix
            add("constant", [(tok.start, tok.end, new)], f"{t} -> {new}")
        elif tok.kind == "ident" and t in ("if", "while") and nxt is not None and nxt.text == "(":
            close = matching(tokens, i + 1)
            if close is not None and (prev is None or prev.text != "constexpr"):
                add("condition", [(nxt.end, nxt.end, "!("), (tokens[close].start, tokens[close].start, ")")],
                    f"{t} (c) -> {t} (!(c))")
        elif tok.kind == "ident" and t == "return" and nxt is not None and nxt.text != ";":
            end = statement_end(tokens, i + 1)
            if end is None:
                continue
            expr = text[nxt.start:tokens[end].start]
            new = {"true": "false", "false": "true"}.get(expr)
            if new is None:
                new = "1" if expr in ("0", "{}", "nullptr", "NULL") else "{}"
                if expr == "nullptr":
                    continue
            add("return", [(nxt.start, tokens[end].start, new)], f"return {new}")
        if is_removable_statement(tokens, i, blocks):
            end = statement_end(tokens, i)
            if end is not None:
                start, stop = tok.start, tokens[end].end
                line_start = text.rfind("\n", 0, start) + 1
                if not text[line_start:start].strip() and text.startswith("\n", stop):
                    start, stop = line_start, stop + 1  # the whole line
                add("removal", [(start, stop, "")], "statement removed")
    return found


def apply(text, edits):
    for start, end, new in sorted(edits, reverse=True):
        text = text[:start] + new + text[end:]
    return text


def folders():
    return TOP_FOLDERS + sorted(p.relative_to(ROOT).as_posix() for p in (ROOT / "platform").iterdir() if p.is_dir())


def mutable_sources():
    sources = []
    for folder in folders():
        for path in sorted((ROOT / folder).glob("*")):
            rel = path.relative_to(ROOT).as_posix()
            if path.suffix in (".cpp", ".h") and rel not in EXCLUDED_SOURCES:
                sources.append(rel)
    return sources


def all_mutants():
    mutants = []
    for rel in mutable_sources():
        mutants.extend(mutants_of(rel, (ROOT / rel).read_text()))
    return mutants


def folder_of(mutant):
    return mutant["file"].rsplit("/", 1)[0]


def sample(mutants, count, seed):
    """A fixed random sample spread over the folders in proportion to their mutants, at
    least FOLDER_FLOOR (or all) from each when the sample is meant to score folders (a
    smaller one, a trial, spreads evenly)."""
    by_folder = collections.defaultdict(list)
    for m in mutants:
        by_folder[folder_of(m)].append(m)
    total = len(mutants)
    least = FOLDER_FLOOR if count >= SCORED_SAMPLE else min(FOLDER_FLOOR, max(1, count // len(by_folder)))
    quota = {f: min(len(ms), max(least, round(count * len(ms) / total))) for f, ms in by_folder.items()}
    # Rounding may leave the sum off the count: take from or give to the largest folders.
    for f in sorted(by_folder, key=lambda f: -len(by_folder[f])):
        diff = count - sum(quota.values())
        if diff == 0:
            break
        quota[f] = max(min(least, len(by_folder[f])), min(len(by_folder[f]), quota[f] + diff))
    # Each folder's mutants ranked by a seeded hash of what each changes (the line's text,
    # not its number): an edit elsewhere, in the folder or outside it, leaves the chosen
    # mutants as they were (and their kept results of use).
    def rank(m):
        return digest(f"{seed}:{m['file']}:{m['kind']}:{m['what']}:{m['text']}".encode()), m["id"]

    chosen = []
    for f in sorted(by_folder):
        chosen.extend(sorted(by_folder[f], key=rank)[:quota[f]])
    # Run in a seeded shuffle, so that a run cut short is still a sample of every folder.
    random.Random(seed).shuffle(chosen)
    return chosen


# --- The mirror and its build ---------------------------------------------------------------


def digest(data):
    return hashlib.sha1(data).hexdigest()


def file_digest_of(path):
    return digest(path.read_bytes()) if path.is_file() else None


def repository_files():
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                            check=True, capture_output=True).stdout.decode().split("\0")
    return sorted(f for f in listed if f and (ROOT / f).is_file() and not f.startswith("build"))


def restore_applied():
    """Puts back the file a stopped run left mutated."""
    if APPLIED.exists():
        rel = APPLIED.read_text().strip()
        if rel:
            write_mirror(rel, (ROOT / rel).read_bytes())
        APPLIED.unlink()


def write_mirror(rel, data):
    """Writes with a fresh time stamp, so the build always sees the change."""
    target = MIRROR / rel
    target.parent.mkdir(parents=True, exist_ok=True)
    tmp = target.with_name(target.name + ".mutate-tmp")
    tmp.write_bytes(data)
    os.replace(tmp, target)


def sync_mirror():
    """Makes the mirror hold exactly the repository's files; returns a fingerprint of them."""
    restore_applied()
    files = repository_files()
    fingerprint = hashlib.sha1()
    for rel in files:
        data = (ROOT / rel).read_bytes()
        target = MIRROR / rel
        if not target.is_file() or target.read_bytes() != data:
            write_mirror(rel, data)
        shutil.copymode(ROOT / rel, target)  # tests may run scripts of the tree
        if not UNFINGERPRINTED.match(rel):
            fingerprint.update(rel.encode() + b"\0" + digest(data).encode())
    wanted = set(files)
    for path in MIRROR.rglob("*"):
        if path.is_file() and path.relative_to(MIRROR).as_posix() not in wanted:
            path.unlink()
    return fingerprint.hexdigest()


def configure():
    command = ["cmake", "-S", str(MIRROR), "-B", str(BUILD), "-G", "Ninja", "-DLB_TESTS=ON",
               "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1",
               # Tests are listed once, not after every link.
               "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"]
    if shutil.which("ld.lld"):
        command.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
    if shutil.which("ccache"):
        command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def build(targets, jobs=None, timeout=BUILD_TIMEOUT):
    """True if the targets built (a mutant's build within the timeout: one that never ends
    is no build)."""
    try:
        done = subprocess.run(["ninja", "-C", str(BUILD), *([f"-j{jobs}"] if jobs else []), *targets],
                              capture_output=True,
                              timeout=timeout)
    except subprocess.TimeoutExpired:
        return False
    return done.returncode == 0


# --- The tests -------------------------------------------------------------------------------


class Test:
    def __init__(self, entry):
        self.name = entry["name"]
        self.command = entry["command"]
        props = {p["name"]: p["value"] for p in entry.get("properties", [])}
        self.cwd = props.get("WORKING_DIRECTORY", str(BUILD))
        self.env = dict(os.environ)
        for item in props.get("ENVIRONMENT", []):
            key, _, value = item.partition("=")
            self.env[key] = value
        self.target = os.path.relpath(self.command[0], BUILD)
        self.program = os.path.basename(self.command[0])
        # Until the unchanged suite has timed it, a test has the time ctest gives it.
        self.baseline = None
        self.ctest_timeout = float(props.get("TIMEOUT", 300))
        self.kills = 0

    def timeout(self):
        if self.baseline is None:
            return self.ctest_timeout
        return max(MIN_TEST_TIMEOUT, 5 * self.baseline)


def list_tests(skip):
    shown = subprocess.run(["ctest", "--test-dir", str(BUILD), "--show-only=json-v1"], check=True,
                           capture_output=True, text=True).stdout
    tests = [Test(e) for e in json.loads(shown)["tests"] if e.get("command")]
    return [t for t in tests if not re.search(skip, f"{t.program} {t.name}")]


def hang_up_as_usual():
    """A run started under nohup ignores SIGHUP, and a child would inherit that: the tests
    of what a hang-up does must see it as from a shell."""
    signal.signal(signal.SIGHUP, signal.SIG_DFL)


def kill_group(process):
    """Kills a test and every process it started (its session), whether or not the test
    itself has ended. A test may give a game a process group of its own, so the session
    is searched too."""
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/stat") as f:
                # After the name: state, parent, process group, session.
                session = int(f.read().rsplit(")", 1)[1].split()[3])
            if session == process.pid:
                os.kill(int(entry), signal.SIGKILL)
        except (OSError, ValueError, IndexError):
            pass


def run_tests(tests, jobs, stop_on_failure=True):
    """Runs the tests `jobs` at a time; returns (failed, timed_out, durations by name). With
    stop_on_failure the first failure ends the run."""
    pending = list(tests)
    running = []
    failed, timed_out, durations = [], [], {}
    try:
        while pending or running:
            while pending and len(running) < jobs:
                test = pending.pop(0)
                process = subprocess.Popen(test.command, cwd=test.cwd, env=test.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                           start_new_session=True, preexec_fn=hang_up_as_usual)
                running.append((test, process, time.monotonic()))
            time.sleep(0.01)
            for entry in list(running):
                test, process, started = entry
                elapsed = time.monotonic() - started
                code = process.poll()
                if code is None and elapsed > test.timeout():
                    kill_group(process)
                    process.wait()
                    running.remove(entry)
                    timed_out.append(test)
                elif code is not None:
                    # A mutant may leave a game the test started running forever.
                    kill_group(process)
                    running.remove(entry)
                    durations[test.name] = elapsed
                    if code != 0:
                        failed.append(test)
            if failed and stop_on_failure:
                break
            if len(timed_out) >= 3:  # a loop that never ends: the rest would wait as long
                break
    finally:
        for _, process, _ in running:
            kill_group(process)
            process.wait()
    return failed, timed_out, durations


def order_for(mutant, tests):
    """The golden run, the test program of the mutant's folder, then the other programs,
    each program's tests (and the programs) in the order of the mutants they killed so far."""
    golden = [t for t in tests if t.name == GOLDEN_TEST]
    programs = collections.defaultdict(list)
    for t in tests:
        if t not in golden:
            programs[t.target].append(t)
    # A folder's own tests are named after it (test_music, test_sdl), or after its parent.
    folder = folder_of(mutant)
    own = next((p for p in (f"tests/test_{folder.split('/')[-1]}", f"tests/test_{folder.split('/')[0]}")
                if p in programs), None)
    names = sorted(programs, key=lambda p: (p != own, -sum(t.kills for t in programs[p]), p))
    batches = [golden] if golden else []
    for p in names:
        batches.append(sorted(programs[p], key=lambda t: -t.kills))
    return batches


BUILD_COMMANDS = {}
# The digest of every program the unchanged sources build, by its path in the build.
UNCHANGED_PROGRAMS = {}


def build_commands(target):
    if target not in BUILD_COMMANDS:
        BUILD_COMMANDS[target] = subprocess.run(["ninja", "-C", str(BUILD), "-t", "commands", target],
                                                capture_output=True, text=True).stdout
    return BUILD_COMMANDS[target]


def built_from_mutant(target, mutant):
    """Whether the program (or a program it starts, such as the game's binary, which the
    build makes with it) may be built from the mutated file: a source compiled among its
    build's commands, or any header."""
    if not mutant["file"].endswith(".cpp"):
        return True
    commands = build_commands(target)
    return f"/{mutant['file']} " in commands or f"/{mutant['file']}\n" in commands


def programs_of(target):
    """The programs the target's build links: itself and those it starts (the game's binary,
    the server's), which the build makes with it."""
    outputs = set(re.findall(r" -o (\S+)", build_commands(target)))
    return sorted(o for o in outputs if (BUILD / o).is_file() and os.access(BUILD / o, os.X_OK)
                  and not re.search(r"\.(o|a|so|gch|pch)$", o))


def note_unchanged_programs():
    for path in BUILD.rglob("*"):
        if path.is_file() and os.access(path, os.X_OK) and path.suffix not in (".o", ".a", ".so", ".sh", ".py"):
            UNCHANGED_PROGRAMS[path.relative_to(BUILD).as_posix()] = file_digest_of(path)


def changed_by_mutant(target):
    """Whether a program the target runs came out of the mutant's build with other bytes:
    the same bytes behave the same in every test."""
    return any(UNCHANGED_PROGRAMS.get(p) != file_digest_of(BUILD / p) for p in programs_of(target))


def test_mutant(mutant, tests, jobs, build_jobs, matrix=False):
    """Builds and tests one mutant (already in the mirror): its outcome and the tests that
    killed it (the first, or with `matrix` every one). Each program is linked only when its
    tests come to run; a program not built from the mutated file, or built to the same bytes
    as without the mutant, cannot tell it, and its tests are passed over (the browser's
    sources, for one, are built into one program). A mutant that changes no program is
    equivalent: the compiler found it the same code."""
    timeouts = []
    killers = []
    changed_any = False
    for batch in order_for(mutant, tests):
        program = batch[0].target
        if not program.startswith(".."):
            if not built_from_mutant(program, mutant):
                continue
            if not build([program], build_jobs):
                return "build-failed", []
            if not changed_by_mutant(program):
                continue
            changed_any = True
        failed, timed_out, _ = run_tests(batch, jobs, stop_on_failure=not matrix)
        for t in failed:
            t.kills += 1
        killers += [t.name for t in failed]
        if killers and not matrix:
            break
        timeouts.extend(timed_out)
        if len(timeouts) >= 3:
            break
    if killers:
        return "killed", killers
    if timeouts:
        return "timed-out", [timeouts[0].name]
    return "survived" if changed_any else "equivalent", []


# --- The report ------------------------------------------------------------------------------


def score(counts):
    """The share caught: killed, or hung past its time (ctest's per-test limit fails such a
    test in any run of the suite)."""
    caught = counts["killed"] + counts["timed-out"]
    judged = caught + counts["survived"]
    return f"{100 * caught / judged:.1f} %" if judged else "-"


def table(title, groups):
    lines = [f"| {title} | mutants | killed | survived | timed out | build failed | same code | score |",
             "|---|---:|---:|---:|---:|---:|---:|---:|"]
    for name, counts in groups:
        lines.append(f"| {name} | {sum(counts.values())} | {counts['killed']} | {counts['survived']} | "
                     f"{counts['timed-out']} | {counts['build-failed']} | {counts['equivalent']} | "
                     f"{score(counts)} |")
    return lines


def count_by(results, key):
    groups = collections.defaultdict(collections.Counter)
    total = collections.Counter()
    for m, r in results:
        groups[key(m)][r["outcome"]] += 1
        total[r["outcome"]] += 1
    for counts in list(groups.values()) + [total]:
        for outcome in ("killed", "survived", "timed-out", "build-failed", "equivalent"):
            counts.setdefault(outcome, 0)
    return sorted(groups.items()) + [("**all**", total)]


def mutant_diff(mutant):
    original = (ROOT / mutant["file"]).read_text()
    changed = apply(original, mutant["edits"])
    return "".join(difflib.unified_diff(original.splitlines(True), changed.splitlines(True),
                                        f"a/{mutant['file']}", f"b/{mutant['file']}", n=2))


def kill_matrix(results):
    """With --matrix: each test's kills, and those no other test makes (a test without any
    is a candidate for removal)."""
    killed = [r for _, r in results if r["outcome"] == "killed" and r.get("matrix")]
    if not killed:
        return []
    kills = collections.Counter(name for r in killed for name in r["by"])
    unique = collections.Counter(r["by"][0] for r in killed if len(r["by"]) == 1)
    lines = [f"## Tests by the mutants they kill ({len(killed)} killed mutants run on every test)", "",
             "| test | kills | kills no other test makes |", "|---|---:|---:|"]
    for name, count in sorted(kills.items(), key=lambda item: (-unique[item[0]], -item[1], item[0])):
        lines.append(f"| {name} | {count} | {unique[name]} |")
    return lines + ["", "A test not listed kills none of them.", ""]


def write_report(name, command, results, elapsed, run_count, skip, chosen):
    REPORTS.mkdir(parents=True, exist_ok=True)
    results = sorted(results, key=lambda r: (r[0]["file"], r[0]["edits"][0][0], r[0]["kind"], r[0]["what"]))
    head = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=ROOT, capture_output=True,
                          text=True).stdout.strip()
    dirty = subprocess.run(["git", "status", "--porcelain", "--untracked-files=no"], cwd=ROOT,
                           capture_output=True, text=True).stdout.strip()
    lines = [f"# Mutation run: {name}", "",
             f"`{command}` on {head}{' with local changes' if dirty else ''}, "
             f"{datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC.",
             f"Tests left out: `{skip}`. Score = (killed + timed out) / (killed + survived + timed out); a mutant "
             f"that does not build, or builds every program to the same bytes (same code), is not "
             f"counted.", ""]
    if len(results) < chosen:
        lines += [f"Cut short: {len(results)} of the {chosen} mutants tested.", ""]
    if not run_count:
        lines += ["Each mutant's last result on its file as it is now: a kill by a test still in the suite, "
                  "anything else as the suite of its run left it.", ""]
    if run_count:
        lines.append(f"{run_count} mutants run in {elapsed:.0f} s ({elapsed / run_count:.1f} s each); "
                     f"{len(results) - run_count} taken from earlier runs on the same sources.")
        lines.append("")
    lines += table("folder", count_by(results, folder_of)) + [""]
    lines += table("kind", count_by(results, lambda m: m["kind"])) + [""]
    lines += table("file", count_by(results, lambda m: m["file"])) + [""]
    survivors = [(m, r) for m, r in results if r["outcome"] == "survived"]
    lines += [f"## Surviving mutants ({len(survivors)})", ""]
    for m, r in survivors:
        lines += [f"### {m['file']}:{m['line']} {m['kind']}: {m['what']}", "", "```diff",
                  mutant_diff(m).rstrip("\n"), "```", ""]
    lines += kill_matrix(results)
    for outcome, title in (("timed-out", "Mutants that hang a test (caught by its time limit)"),
                           ("build-failed", "Mutants that do not build"),
                           ("equivalent", "Mutants the compiler makes the same code")):
        listed = [(m, r) for m, r in results if r["outcome"] == outcome]
        if listed:
            lines += [f"## {title} ({len(listed)})", ""]
            lines += [f"- {m['file']}:{m['line']} {m['kind']}: {m['what']}"
                      + (f" ({r['by'][0]})" if r["by"] else "") for m, r in listed] + [""]
    path = REPORTS / f"{name}.md"
    path.write_text("\n".join(lines))
    return path


# --- Main -------------------------------------------------------------------------------------


def file_digest(rel):
    return digest((ROOT / rel).read_bytes())


def load_results(fingerprint, mutants, test_names, as_measured=False):
    """Results of earlier runs on the same sources and tests, and kills of a mutant whose
    file is the same, by a test still in the suite. `as_measured`: also the last other
    result on the file as it is, measured by the suite of its run."""
    files = {m["id"]: m["file"] for m in mutants}
    digests = {}
    kept = {}
    if RESULTS.exists():
        for line in RESULTS.read_text().splitlines():
            entry = json.loads(line)
            rel = files.get(entry["id"])
            if rel is None:
                continue
            if rel not in digests:
                digests[rel] = file_digest(rel)
            same_file = entry.get("file_digest") == digests[rel]
            if entry["outcome"] == "killed":
                same_file = same_file and test_names is not None and all(name in test_names for name in entry["by"])
            if entry["fingerprint"] == fingerprint or (same_file and (as_measured or entry["outcome"] == "killed")):
                kept[entry["id"]] = entry
    return kept


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    which = parser.add_mutually_exclusive_group()
    which.add_argument("--sample", type=int, help="a fixed random sample of this many mutants")
    which.add_argument("--all", action="store_true", help="every mutant (the default of --list)")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--only", help="only the mutants (of the sample) whose id (file:line:col:kind:what) matches")
    parser.add_argument("--skip", default=DEFAULT_SKIP, help="leave out tests matching 'program name'")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2, help="tests run at once")
    parser.add_argument("--build-jobs", type=int, help="ninja's jobs (default: ninja's own)")
    parser.add_argument("--report-name", help="docs/mutation/<name>.md (default from the selection)")
    parser.add_argument("--fresh", action="store_true", help="ignore results of earlier runs")
    parser.add_argument("--report", action="store_true",
                        help="only write the report of the results kept so far (a run cut short)")
    parser.add_argument("--matrix", action="store_true",
                        help="run every test on every mutant and record all that kill it (slow)")
    args = parser.parse_args()

    if args.sample is None and not args.all and not args.list:
        parser.error("one of the arguments --sample --all --list is required")
    mutants = all_mutants()
    chosen = sample(mutants, args.sample, args.seed) if args.sample else mutants
    if args.only:
        chosen = [m for m in chosen if re.search(args.only, m["id"])]
    if args.list:
        for m in chosen:
            print(m["id"])
        print(f"{len(chosen)} mutants", file=sys.stderr)
        return 0
    name = args.report_name or ("all" if args.all else f"sample-{args.sample}-seed-{args.seed}")
    command = "tools/mutate.py " + " ".join(sys.argv[1:])

    WORK.mkdir(exist_ok=True)
    fingerprint = sync_mirror()
    if args.report:
        names = {t.name for t in list_tests(args.skip)} if (BUILD / "CTestTestfile.cmake").exists() else None
        earlier = load_results(fingerprint, chosen, names, as_measured=True)
        results = [(m, earlier[m["id"]]) for m in chosen if m["id"] in earlier]
        print(f"{len(results)} of the {len(chosen)} mutants have results")
        path = write_report(name, command, results, 0, 0, args.skip, len(chosen))
        print(f"report: {path.relative_to(ROOT)}")
        return 0
    configure()
    print("building the unchanged sources in build-mutate/", flush=True)
    if not build([], args.build_jobs, timeout=None):
        sys.exit("the unchanged sources do not build in build-mutate/")
    note_unchanged_programs()
    tests = list_tests(args.skip)
    checked = json.loads(BASELINE.read_text()) if BASELINE.exists() else {}
    durations = checked.get("durations") if checked.get("fingerprint") == fingerprint + args.skip else None
    if durations is None:
        print(f"checking the {len(tests)} tests on them", flush=True)
        t0 = time.monotonic()
        failed, timed_out, durations = run_tests(tests, args.jobs, stop_on_failure=False)
        if failed or timed_out:
            sys.exit("the suite is not green without mutants: " + ", ".join(t.name for t in failed + timed_out))
        print(f"all pass in {time.monotonic() - t0:.1f} s (what a surviving mutant costs, besides its build)",
              flush=True)
        BASELINE.write_text(json.dumps({"fingerprint": fingerprint + args.skip, "durations": durations}))
    else:
        print(f"the {len(tests)} tests passed on these sources before", flush=True)
    for t in tests:
        t.baseline = durations.get(t.name, 1.0)

    earlier = {} if args.fresh else load_results(fingerprint, chosen, {t.name for t in tests})
    results = []
    started = time.monotonic()
    run_count = 0
    with RESULTS.open("a") as log:
        for number, mutant in enumerate(chosen, 1):
            if mutant["id"] in earlier and (earlier[mutant["id"]].get("matrix") or not args.matrix):
                results.append((mutant, earlier[mutant["id"]]))
                continue
            original = (ROOT / mutant["file"]).read_bytes()
            t0 = time.monotonic()
            try:
                APPLIED.write_text(mutant["file"])
                write_mirror(mutant["file"], apply(original.decode(), mutant["edits"]).encode())
                outcome, by = test_mutant(mutant, tests, args.jobs, args.build_jobs, args.matrix)
            finally:
                write_mirror(mutant["file"], original)
                APPLIED.unlink()
            seconds = time.monotonic() - t0
            run_count += 1
            entry = {"id": mutant["id"], "fingerprint": fingerprint, "outcome": outcome, "by": by,
                     "matrix": args.matrix, "file_digest": digest(original),
                     "seconds": round(seconds, 2)}
            log.write(json.dumps(entry) + "\n")
            log.flush()
            results.append((mutant, entry))
            print(f"[{number}/{len(chosen)}] {outcome:12} {seconds:5.1f}s {mutant['id']}"
                  + (f"  ({', '.join(by)})" if by else ""), flush=True)
    elapsed = time.monotonic() - started
    path = write_report(name, command, results, elapsed, run_count, args.skip, len(chosen))
    if run_count:
        print(f"{run_count} mutants in {elapsed:.0f} s, {elapsed / run_count:.1f} s each; "
              f"250 would take about {250 * elapsed / run_count / 60:.0f} min")
    print(f"report: {path.relative_to(ROOT)}")
    return 0


def interrupted(signum, frame):
    raise KeyboardInterrupt


if __name__ == "__main__":
    # Ctrl-C and a kill both end with the mirror restored (and even when started in the
    # background, where the shell has Ctrl-C ignored).
    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        restore_applied()
        sys.exit("stopped; the results so far are kept in build-mutate/results.jsonl")
