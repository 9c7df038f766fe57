/* Map rotation for the tour map pages.
 *
 * Leaflet draws a north-up map. To turn it with the compass, the map element is made large enough
 * to cover its viewport at any angle and is turned as a whole with a CSS transform; Leaflet keeps
 * drawing an unrotated map inside it. Markers that should stay upright (the visitor's position)
 * carry the class "tq-upright" and are turned back.
 */
(function (L) {
  'use strict';
  if (!L || !L.Map) {
    return;
  }

  function diagonal(element) {
    var w = element.clientWidth;
    var h = element.clientHeight;
    return Math.ceil(Math.sqrt(w * w + h * h));
  }

  L.Map.include({
    _tqBearing: 0,
    _tqViewport: null,

    // The map's container must sit alone in a viewport element that keeps the visible size.
    enableRotation: function () {
      var map = this;
      var viewport = this.getContainer().parentNode;
      viewport.style.overflow = 'hidden';
      if (!viewport.style.position) {
        viewport.style.position = 'relative';
      }
      this._tqViewport = viewport;
      this._tqFit();
      window.addEventListener('resize', function () { map._tqFit(); });
      return this;
    },

    // Turns the map so that `degrees` (clockwise from north) points up.
    setBearing: function (degrees) {
      var value = Number(degrees);
      if (!isFinite(value)) {
        return this;
      }
      this._tqBearing = ((value % 360) + 360) % 360;
      this._tqApply();
      this.fire('rotate', { bearing: this._tqBearing });
      return this;
    },

    getBearing: function () {
      return this._tqBearing;
    },

    _tqFit: function () {
      if (!this._tqViewport) {
        return;
      }
      var viewport = this._tqViewport;
      var size = diagonal(viewport);
      var style = this.getContainer().style;
      style.position = 'absolute';
      style.width = size + 'px';
      style.height = size + 'px';
      style.left = Math.round((viewport.clientWidth - size) / 2) + 'px';
      style.top = Math.round((viewport.clientHeight - size) / 2) + 'px';
      this.invalidateSize(false);
      this._tqApply();
    },

    _tqApply: function () {
      var angle = this._tqBearing;
      this.getContainer().style.transform = 'rotate(' + (-angle) + 'deg)';
      var upright = this.getContainer().querySelectorAll('.tq-upright');
      for (var i = 0; i < upright.length; i++) {
        upright[i].style.rotate = angle + 'deg';
      }
    }
  });
})(window.L);
