// The outer HTML of the table row at this point of the page (CSS pixels of
// the view), or null when there is none.
(function (x, y) {
  var element = document.elementFromPoint(x, y);
  var row = element && element.closest ? element.closest("tr") : null;
  return row ? row.outerHTML : null;
})
