# Sourced by scripts/package and scripts/web: which files of a game folder
# go to players. Never the author's tools and sources: qPre, qPre.ini, the
# file list, the sources (qPre's extBefore), hidden files; fonts/ is handled
# by the caller. Set `excludes` (globs) before calling game_file_shipped.

# A value of an INI file (CP932, CR LF), first match of SECTION/KEY.
ini() {
  [ -f "$1" ] || return 0
  tr -d '\r' < "$1" | awk -v s="$2" -v k="$3" '
    /^[ \t]*\[/ { sec = $0; gsub(/^[ \t]*\[|\].*$/, "", sec); next }
    tolower(sec) == tolower(s) && index($0, "=") {
      key = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", key)
      if (tolower(key) == tolower(k) && !found) { v = substr($0, index($0, "=") + 1); gsub(/^[ \t]+|[ \t]+$/, "", v); print v; found = 1 }
    }'
}

# Reads the game's qPre.ini: src_ext, dat_ext, file_list.
read_game_files_settings() {
  local qpre_ini=$1/qPre.ini
  src_ext=$(ini "$qpre_ini" main extBefore); src_ext=${src_ext:-txt}
  dat_ext=$(ini "$qpre_ini" main extAfter); dat_ext=${dat_ext:-dat}
  file_list=$(ini "$qpre_ini" filelist fileListFilePath); file_list=${file_list:-filelist.ini}
  file_list=${file_list//\\//}
}

# True for a path relative to the game folder that goes to players.
game_file_shipped() {
  local rel=$1 base lower
  base=$(basename "$rel")
  lower=$(printf '%s' "$rel" | tr 'A-Z' 'a-z')
  case "$base" in .*) return 1 ;; esac
  case "$rel" in */.*|fonts/*) return 1 ;; esac
  case "$lower" in qpre|qpre.ini|qrun|core|*".${src_ext,,}") return 1 ;; esac
  [ "$lower" = "$(printf '%s' "$file_list" | tr 'A-Z' 'a-z')" ] && return 1
  local glob
  for glob in "${excludes[@]}"; do
    # shellcheck disable=SC2053
    [[ $rel == $glob || $rel == $glob/* ]] && return 1
  done
  return 0
}
