// The page's scroll offsets as the page itself knows them now: the view's
// own report of them can lag behind a scroll just made.
(function () {
  return [window.scrollX, window.scrollY];
})
