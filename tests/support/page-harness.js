/* Test harness for pages run in the headless browser (see HeadlessBrowser.h).
 *
 * Loaded first in the page under test. It plays the application's side: navigations the page asks
 * for are recorded and cancelled (as the application's navigation policy does with "js-frame:"
 * addresses), console lines and uncaught errors are kept, call texts are evaluated as the
 * application evaluates them, and taps land where a finger would.
 */
(function () {
  'use strict';

  var harness = {
    navigations: [],
    console: [],
    errors: [],

    // Evaluates a call text in the page's global scope: {value} or {error}.
    call: function (text) {
      try {
        return { value: (0, eval)(text) };
      } catch (e) {
        return { error: String((e && e.message) || e) };
      }
    },

    wait: function (ms) {
      return new Promise(function (resolve) { setTimeout(resolve, ms); });
    },

    // The element's centre in the window, or null when it has no size.
    centre: function (element) {
      if (!element) { return null; }
      var box = element.getBoundingClientRect();
      if (box.width <= 0 || box.height <= 0) { return null; }
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    },

    // Whether a finger on the element's centre would reach it: inside the window, and the element
    // (or something inside it) is what lies on top at that point.
    reachable: function (element) {
      var point = harness.centre(element);
      if (!point || point.x < 0 || point.y < 0 || point.x >= window.innerWidth || point.y >= window.innerHeight) {
        return false;
      }
      var hit = document.elementFromPoint(point.x, point.y);
      return !!hit && (hit === element || element.contains(hit));
    },

    // A click at the element's centre, delivered to whatever lies on top there. False (and no
    // click) when the element cannot be reached.
    tap: function (element) {
      if (!harness.reachable(element)) { return false; }
      var point = harness.centre(element);
      var hit = document.elementFromPoint(point.x, point.y);
      var options = { bubbles: true, cancelable: true, view: window, clientX: point.x, clientY: point.y, button: 0 };
      ['pointerdown', 'mousedown', 'pointerup', 'mouseup', 'click'].forEach(function (type) {
        var Kind = type.indexOf('pointer') === 0 && window.PointerEvent ? PointerEvent : MouseEvent;
        hit.dispatchEvent(new Kind(type, options));
      });
      return true;
    },

    // Navigations recorded since the given count.
    navigationsSince: function (count) {
      return harness.navigations.slice(count);
    },

    report: function (value) {
      var out = document.getElementById('harness-report');
      if (!out) {
        out = document.createElement('pre');
        out.id = 'harness-report';
        out.style.display = 'none';
        document.body.appendChild(out);
      }
      out.textContent = JSON.stringify(value);
    },

    // Runs an async scenario once the page has loaded; its result, or its failure, is the report.
    scenario: function (steps) {
      window.addEventListener('load', function () {
        Promise.resolve()
          .then(steps)
          .then(function (result) { harness.report({ result: result, errors: harness.errors }); },
                function (e) { harness.report({ failure: String((e && e.stack) || e), errors: harness.errors }); });
      });
    }
  };

  window.addEventListener('error', function (event) { harness.errors.push(String(event.message)); });
  if (window.navigation) {
    window.navigation.addEventListener('navigate', function (event) {
      harness.navigations.push(event.destination.url);
      if (event.cancelable) { event.preventDefault(); }
    });
  }
  console.log = function () {
    harness.console.push(Array.prototype.map.call(arguments, String).join(' '));
  };
  window.harness = harness;
})();
