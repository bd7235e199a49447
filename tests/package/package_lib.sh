# The Debian package of the build whose bin folder is JINRO_BIN_DIR, for the
# tests that look at it or run it: the one in <build>/package when it is
# newer than the programs it holds (tests/package/make_package.sh makes it),
# else one made now in the test's own scratch folder (never beside the built
# programs).

# package_is_fresh: prints the path of <build>/package's .deb if it is newer
# than the programs.
package_is_fresh() {
  local deb
  deb=$(ls -t "${JINRO_BIN_DIR:?}"/../package/jinro-client_*.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] && [ "$deb" -nt "$JINRO_BIN_DIR/jinro-client" ] && [ "$deb" -nt "$JINRO_BIN_DIR/quill_pane" ] &&
    echo "$deb"
}

# package_deb SCRATCH: prints the .deb's path.
package_deb() {
  package_is_fresh && return 0
  cpack --config "$JINRO_BIN_DIR/../CPackConfig.cmake" -B "$1/pkg" >"$1/cpack.log" 2>&1 || {
    cat "$1/cpack.log" >&2
    return 1
  }
  ls "$1"/pkg/jinro-client_*.deb | head -n 1
}
