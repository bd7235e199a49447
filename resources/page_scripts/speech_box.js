// The speech box: the first TXTMSG text box or text area of the page, or null.
(function () {
  var t = document.getElementsByName('TXTMSG');
  for (var i = 0; i < t.length; i++) {
    var n = t[i].tagName;
    if (n === 'TEXTAREA' || (n === 'INPUT' && t[i].type === 'text')) return t[i];
  }
  return null;
})
