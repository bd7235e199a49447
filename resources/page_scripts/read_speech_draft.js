// What the player has begun in the speech form, or null without a box. The
// text is taken up to 65,536 units: far more than any speech, and a page that
// fills its own box with megabytes is not carried from page to page.
(function (speechBox) {
  var b = speechBox();
  if (!b) return null;
  var r = {
    text: b.value.substring(0, 65536),
    start: b.selectionStart || 0,
    end: b.selectionEnd || 0,
    focused: document.activeElement === b,
    selects: [],
    changed: false
  };
  var e = b.form ? b.form.elements : [];
  for (var j = 0; j < e.length; j++) {
    var s = e[j];
    if (s.tagName !== 'SELECT' || !s.name) continue;
    r.selects.push([s.name, s.value]);
    // The page's own choice: its first option marked selected, else the first.
    var d = 0;
    for (var k = 0; k < s.options.length; k++) {
      if (s.options[k].defaultSelected) { d = k; break; }
    }
    if (s.options.length && s.selectedIndex !== d) r.changed = true;
  }
  return r;
})
