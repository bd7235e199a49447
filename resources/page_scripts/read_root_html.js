// The root element's outer HTML when the root is the HTML element, else "";
// no longer than `limit` UTF-16 units, so that a huge page is not carried
// over whole when only its beginning is read.
(function (limit) {
  var e = document.documentElement;
  return (e && e.tagName === 'HTML') ? e.outerHTML.substring(0, limit) : '';
})
