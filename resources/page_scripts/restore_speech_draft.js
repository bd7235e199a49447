// Puts a draft back into an empty speech box; true when it did. A box that
// holds text of its own is the player's, and is left alone.
(function (speechBox, d) {
  var b = speechBox();
  if (!b || b.value !== '') return false;
  var e = b.form ? b.form.elements : null;
  for (var i = 0; e && i < d.selects.length; i++) {
    var s = e.namedItem(d.selects[i][0]);
    if (!s || s.tagName !== 'SELECT') continue;
    // A choice the page no longer offers leaves the page's own.
    for (var k = 0; k < s.options.length; k++) {
      if (s.options[k].value === d.selects[i][1]) { s.selectedIndex = k; break; }
    }
  }
  b.value = d.text;
  if (d.focused) b.focus({preventScroll: true});
  // The text is in whether or not the caret can be put where it was.
  try { b.setSelectionRange(d.start, d.end); } catch (x) {}
  return true;
})
