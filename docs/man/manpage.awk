# Turns the plain source of a manual page into roff with the man macros.
#
#   awk -v version=VERSION -v date=YYYY-MM-DD -v out=FILE -f manpage.awk SOURCE
#
# The source, line by line:
#   first line       NAME SECTION: the page's title line
#   @include FILE    the lines of FILE (next to SOURCE), read as if here
#   HEADING          a line of capital letters and blanks: a section
#   * TERM           a tagged paragraph: TERM, then the lines up to the next
#                    blank line, indented (options, files, variables)
#   $ COMMAND        an example command line, shown indented as it is
#   empty line       a new paragraph
#   other lines      running text
# In any line: **bold**, <italic> (what the user replaces), @VERSION@;
# \<, \>, \* and \\ stand for the character itself. Backslashes and
# hyphens are escaped for roff, so "--title" prints as typed.

function inline(text,    result, i, c, n) {
  gsub(/@VERSION@/, version, text)
  result = ""
  n = length(text)
  for (i = 1; i <= n; i++) {
    c = substr(text, i, 1)
    if (c == "\\" && i < n && index("<>*\\", substr(text, i + 1, 1))) {
      c = substr(text, ++i, 1)
      result = result (c == "\\" ? "\\e" : c)
    } else if (c == "\\") result = result "\\e"
    else if (c == "-") result = result "\\-"
    else if (c == "*" && substr(text, i + 1, 1) == "*") {
      result = result (bold ? "\\fR" : "\\fB")
      bold = !bold
      i++
    } else if (c == "<") {
      result = result "\\fI"
      italic = 1
    } else if (c == ">" && italic) {
      result = result "\\fR"
      italic = 0
    } else result = result c
  }
  if (result ~ /^[.']/) result = "\\&" result
  return result
}

function emit(line) { print line > out }

function closeExample() {
  if (inExample) {
    emit(".fi")
    emit(".RE")
    inExample = 0
  }
}

function handle(line, sourceDir,    file, included, parts) {
  sub(/[ \t\r]+$/, "", line)
  if (!titled) {
    split(line, parts, " ")
    emit(".TH \"" inline(toupper(parts[1])) "\" \"" parts[2] "\" \"" date "\" \"Ambrelin " \
         version "\" \"User Commands\"")
    emit(".nh")  # no hyphenation: options and file names print whole
    titled = 1
    return
  }
  if (line ~ /^@include /) {
    file = sourceDir substr(line, 10)
    while ((getline included < file) > 0) handle(included, sourceDir)
    close(file)
    return
  }
  if (line ~ /^\$ /) {
    if (!inExample) {
      if (pendingParagraph) emit(".PP")
      emit(".RS 4")
      emit(".nf")
      inExample = 1
      pendingParagraph = 0
    }
    emit(inline(substr(line, 3)))
    return
  }
  closeExample()
  if (line == "") {
    pendingParagraph = 1
    return
  }
  if (line ~ /^[A-Z][A-Z ]*$/) {
    emit(".SH \"" line "\"")
    pendingParagraph = 0
    return
  }
  if (line ~ /^\* /) {
    emit(".TP")
    emit(inline(substr(line, 3)))
    pendingParagraph = 0
    return
  }
  if (pendingParagraph) emit(".PP")
  pendingParagraph = 0
  sub(/^[ \t]+/, "", line)
  emit(inline(line))
}

FNR == 1 {
  sourceDir = FILENAME
  if (!sub(/[^\/]*$/, "", sourceDir)) sourceDir = ""
}
{ handle($0, sourceDir) }
END {
  closeExample()
  if (bold || italic) {
    print FILENAME ": unclosed ** or <" > "/dev/stderr"
    exit 1
  }
}
