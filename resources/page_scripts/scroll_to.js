// Scrolls the page to these offsets.
(function (left, top) {
  window.scrollTo(left, top);
})
