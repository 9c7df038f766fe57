/* Map rotation and the tour map shared by the map pages (offline.html and main.html).
 *
 * Rotation: Leaflet draws a north-up map. To turn it with the compass, the map element is made
 * large enough to cover its viewport at any angle and is turned as a whole with a CSS transform;
 * Leaflet keeps drawing an unrotated map inside it. Marker pictures that should stay upright carry
 * the class "tq-upright" and are turned back; only the picture inside a marker is turned, never
 * the element Leaflet positions, so its placement stays Leaflet's.
 *
 * Tour map: the functions the application calls (see TourMap.install) and the "js-frame:"
 * navigations the page makes back: "js-frame:<n>" when the visitor chooses point n,
 * "js-frame:show" to open the chosen point's contents, "js-frame:Around" for a point of another
 * tour and "js-frame:stopAudio" to silence the audio. Texts from the tour are always shown as text.
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
      // Only a viewport that is not positioned yet becomes the containing block; a stylesheet's
      // own placement (stretched with position: absolute, say) is kept.
      if (window.getComputedStyle(viewport).position === 'static') {
        viewport.style.position = 'relative';
      }
      this._tqViewport = viewport;
      // Controls belong to what the visitor sees: they neither turn nor sit off screen.
      if (this._controlContainer) {
        viewport.appendChild(this._controlContainer);
      }
      this._tqFit();
      this.on('layeradd', function (event) { map._tqApplyTo(event.layer); });
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

    // The part of the map element the visitor sees: its viewport, centred in it.
    visibleSize: function () {
      var viewport = this._tqViewport;
      return viewport ? L.point(viewport.clientWidth, viewport.clientHeight) : this.getSize();
    },

    // fitBounds for what the visitor sees rather than for the whole enlarged element.
    fitVisible: function (bounds, padding, maxZoom) {
      var size = this.getSize();
      var visible = this.visibleSize();
      var marginX = Math.max(0, (size.x - visible.x) / 2) + padding;
      var marginY = Math.max(0, (size.y - visible.y) / 2) + padding;
      return this.fitBounds(bounds, {
        paddingTopLeft: [marginX, marginY], paddingBottomRight: [marginX, marginY], maxZoom: maxZoom
      });
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

    // A layer just added: only its own pictures need turning, and none while the map is north-up
    // (a new picture has no turn of its own). Turning the whole map for each of hundreds of markers
    // would read every upright picture again each time.
    _tqApplyTo: function (layer) {
      if (!this._tqBearing) {
        return;
      }
      var element = layer && typeof layer.getElement === 'function' ? layer.getElement() : null;
      if (!element) {
        this._tqApply();
        return;
      }
      var upright = element.querySelectorAll('.tq-upright');
      for (var i = 0; i < upright.length; i++) {
        upright[i].style.transform = 'rotate(' + this._tqBearing + 'deg)';
      }
    },

    _tqApply: function () {
      var angle = this._tqBearing;
      this.getContainer().style.transform = angle ? 'rotate(' + (-angle) + 'deg)' : '';
      var upright = this.getContainer().querySelectorAll('.tq-upright');
      for (var i = 0; i < upright.length; i++) {
        upright[i].style.transform = angle ? 'rotate(' + angle + 'deg)' : '';
      }
    }
  });

  // ---- The tour map

  var TEXTS = {
    en: { show: 'See the contents', silence: 'Stop the audio' },
    fr: { show: 'Voir le contenu', silence: "Couper l'audio" },
    es: { show: 'Ver el contenido', silence: 'Detener el audio' }
  };

  var state = {
    map: null,
    tour: null,
    language: 'en',
    isIpad: false,
    maxZoom: 18,
    customMap: false,
    tiles: null,
    markers: [],
    current: 0,
    tappedPoi: 0,
    tappedAround: 0,
    aroundMarkers: [],
    positionMarker: null,
    route: null,
    followDirection: false
  };

  function texts() {
    return TEXTS[state.language] || TEXTS.en;
  }

  function tell(address) {
    window.location.href = address;
  }

  function number(value) {
    if (value === null || value === undefined || value === '') { return null; }
    var parsed = typeof value === 'number' ? value : parseFloat(value);
    return isFinite(parsed) ? parsed : null;
  }

  function pointLatLng(poi) {
    var lat = number(poi && poi.lat);
    var lng = number(poi && poi['long']);
    if (lat === null || lng === null || Math.abs(lat) > 90 || Math.abs(lng) > 180) { return null; }
    return L.latLng(lat, lng);
  }

  function uprightIcon(picture, className, size, anchor) {
    return L.divIcon({
      className: 'tq-marker ' + className,
      html: '<img class="tq-upright" src="' + picture + '" alt="" style="width:' + size[0] + 'px;height:' +
        size[1] + 'px;transform-origin:' + anchor[0] + 'px ' + anchor[1] + 'px">',
      iconSize: size,
      iconAnchor: anchor,
      popupAnchor: [0, -anchor[1]]
    });
  }

  // A pin carries the point's number in the tour, 1 for the first point.
  function pinIcon(isCurrent, index) {
    var icon = uprightIcon('marker-icon.png', isCurrent ? 'tq-pin tq-current' : 'tq-pin', [25, 41], [12, 41]);
    icon.options.html = '<img class="tq-shadow" src="marker-shadow.png" alt="">' + icon.options.html +
      '<span class="tq-number tq-upright" style="transform-origin:12px 41px">' + (index + 1) + '</span>';
    return icon;
  }

  function padding() {
    return state.isIpad ? 80 : 40;
  }

  // The popup of a point: its name as text and the button that opens its contents.
  function pointPopup(poi, index) {
    var box = document.createElement('div');
    box.className = 'tq-popup';
    var name = document.createElement('div');
    name.className = 'tq-name';
    name.textContent = (poi && poi.poi_name) || '';
    var show = document.createElement('button');
    show.className = 'tq-show';
    show.type = 'button';
    show.textContent = texts().show;
    L.DomEvent.on(show, 'click', function (event) {
      L.DomEvent.stop(event);
      state.tappedPoi = index;
      tell('js-frame:show');
    });
    box.appendChild(name);
    box.appendChild(show);
    return box;
  }

  function markCurrent(index) {
    state.current = index;
    state.markers.forEach(function (marker, i) {
      if (marker) { marker.setIcon(pinIcon(i === index, i)); }
    });
    // The new pictures start unturned.
    state.map._tqApply();
  }

  function drawPois(pois) {
    state.markers.forEach(function (marker) { if (marker) { state.map.removeLayer(marker); } });
    state.markers = [];
    pois.forEach(function (poi, index) {
      var where = pointLatLng(poi);
      if (where === null) {
        state.markers.push(null);
        return;
      }
      var marker = L.marker(where, { icon: pinIcon(index === state.current, index), keyboard: false }).addTo(state.map);
      // The popup's content is made when it opens: made up front for every point, it would cost
      // more than drawing the markers of a large tour.
      marker.bindPopup(function () { return pointPopup(poi, index); },
        { closeButton: false, autoPanPadding: [padding(), padding()] });
      marker.on('click', function () {
        state.tappedPoi = index;
        markCurrent(index);
        tell('js-frame:' + index);
      });
      state.markers.push(marker);
    });
  }

  // The walk from point to point, in the tour's order, under the pins.
  function drawRoute(pois) {
    if (state.route !== null) { state.map.removeLayer(state.route); }
    var path = pois.map(pointLatLng).filter(function (where) { return where !== null; });
    state.route = L.polyline(path, { color: '#1f6fb2', weight: 5, opacity: 0.8, interactive: false })
      .addTo(state.map);
  }

  function pointBounds() {
    var bounds = L.latLngBounds([]);
    state.markers.forEach(function (marker) { if (marker) { bounds.extend(marker.getLatLng()); } });
    return bounds;
  }

  function customCentre() {
    var tour = state.tour || {};
    return pointLatLng({ lat: tour.customMapLat, 'long': tour.customMapLong });
  }

  function frame(low) {
    var centre = state.customMap ? customCentre() : null;
    if (centre !== null) {
      state.map.setView(centre, low);
      return;
    }
    var bounds = pointBounds();
    if (bounds.isValid()) {
      state.map.fitVisible(bounds, padding(), state.maxZoom);
    } else {
      state.map.setView([0, 0], low);
    }
  }

  function silenceControl() {
    var Control = L.Control.extend({
      options: { position: 'topleft' },
      onAdd: function () {
        var button = L.DomUtil.create('button', 'tq-silence');
        button.type = 'button';
        button.title = texts().silence;
        button.setAttribute('aria-label', texts().silence);
        button.innerHTML = '<svg viewBox="0 0 24 24" width="20" height="20" aria-hidden="true">' +
          '<path d="M3 9h4l5-4v14l-5-4H3z" fill="#333"/>' +
          '<path d="M16 9l5 6M21 9l-5 6" stroke="#333" stroke-width="2"/></svg>';
        L.DomEvent.disableClickPropagation(button);
        L.DomEvent.on(button, 'click', function (event) {
          L.DomEvent.stop(event);
          tell('js-frame:stopAudio');
        });
        return button;
      }
    });
    return new Control();
  }

  // options: tour, language, isIpad, tileUrl, minZoom, maxZoom, errorTileUrl, subdomains, attribution,
  // drawRoute (the tiles do not carry the tour's route)
  function start(options) {
    state.tour = options.tour || {};
    state.language = options.language;
    state.isIpad = !!options.isIpad;
    state.customMap = state.tour.use_custom_map === '1';
    var low = number(options.minZoom);
    var high = number(options.maxZoom);
    if (low === null) { low = 1; }
    if (high === null || high < low) { high = Math.max(low, 18); }
    state.maxZoom = high;
    if (state.map === null) {
      state.map = L.map('map', {
        zoomControl: false, attributionControl: !!options.attribution, minZoom: low, maxZoom: high
      });
      state.map.enableRotation();
      silenceControl().addTo(state.map);
      if (options.attribution) { state.map.attributionControl.setPrefix(false); }
    }
    if (state.tiles !== null) { state.map.removeLayer(state.tiles); }
    state.tiles = L.tileLayer(options.tileUrl, {
      minZoom: low, maxZoom: high, maxNativeZoom: high, subdomains: options.subdomains || 'abc',
      errorTileUrl: options.errorTileUrl, attribution: options.attribution || ''
    }).addTo(state.map);
    var pois = Array.isArray(state.tour.poi) ? state.tour.poi : [];
    drawPois(pois);
    if (options.drawRoute) {
      drawRoute(pois);
    } else if (state.route !== null) {
      state.map.removeLayer(state.route);
      state.route = null;
    }
    frame(low);
  }

  // ---- What the application calls

  function next(index) {
    if (state.map === null || number(index) === null) { return; }
    var i = Math.floor(number(index));
    if (i < 0 || i >= state.markers.length) { return; }
    // An open callout names the current point: it moves to the new one, or closes when that
    // point has no place on the map.
    var calloutOpen = state.markers.some(function (m) { return m && m.isPopupOpen(); });
    state.map.closePopup();
    markCurrent(i);
    var marker = state.markers[i];
    if (!marker) { return; }
    state.map.panTo(marker.getLatLng());
    if (calloutOpen) { marker.openPopup(); }
  }

  function poiValue() { return state.tappedPoi; }
  function poiAroundValue() { return state.tappedAround; }

  function centerMap() {
    if (state.map !== null) { frame(state.map.getMinZoom()); }
  }

  function currentLocation(latitude, longitude) {
    if (state.map === null || number(latitude) === null || number(longitude) === null) { return; }
    var where = [number(latitude), number(longitude)];
    if (state.positionMarker === null) {
      state.positionMarker = L.marker(where, {
        icon: uprightIcon('position.png', 'tq-position', [24, 24], [12, 12]), interactive: false, keyboard: false,
        zIndexOffset: 1000
      }).addTo(state.map);
    } else {
      state.positionMarker.setLatLng(where);
    }
  }

  function removeCurrentLocation() {
    if (state.positionMarker !== null) {
      state.map.removeLayer(state.positionMarker);
      state.positionMarker = null;
    }
  }

  function panToLocation(latitude, longitude) {
    if (state.map !== null && number(latitude) !== null && number(longitude) !== null) {
      state.map.panTo([number(latitude), number(longitude)]);
    }
  }

  function mapFollowsDirection(enabled) {
    state.followDirection = enabled === true;
    if (!state.followDirection && state.map !== null) { state.map.setBearing(0); }
  }

  function deviceRotation(heading) {
    if (state.followDirection && state.map !== null) { state.map.setBearing(heading); }
  }

  function showAround(show, language, pois, isIpad) {
    if (state.map === null) { return; }
    state.aroundMarkers.forEach(function (marker) { state.map.removeLayer(marker); });
    state.aroundMarkers = [];
    var list = show === true && Array.isArray(pois) ? pois : [];
    list.forEach(function (poi, index) {
      var where = pointLatLng(poi);
      if (where === null) { return; }
      var marker = L.marker(where, {
        icon: uprightIcon('marker-icon.png', 'tq-around', [18, 30], [9, 30]),
        title: (poi && poi.poi_name) || '', keyboard: false
      }).addTo(state.map);
      marker.on('click', function () {
        state.tappedAround = index;
        tell('js-frame:Around');
      });
      state.aroundMarkers.push(marker);
    });
  }

  // For tests and the pages: what the map shows.
  function describe() {
    return {
      markers: state.markers.map(function (m) { return m ? m.getElement() : null; }),
      current: state.current,
      bearing: state.map ? state.map.getBearing() : 0,
      position: state.positionMarker ? state.positionMarker.getElement() : null,
      around: state.aroundMarkers.map(function (m) { return m.getElement(); }),
      route: state.route ? state.route.getLatLngs().map(function (p) { return [p.lat, p.lng]; }) : null,
      routeElement: state.route ? state.route.getElement() : null,
      map: state.map
    };
  }

  var STYLES = [
    '.tq-marker { background: none; border: none; }',
    '.tq-marker img { display: block; }',
    '.tq-marker .tq-shadow { position: absolute; left: 0; top: 0; width: 41px; height: 41px; pointer-events: none; }',
    '.tq-current img { filter: hue-rotate(150deg) saturate(3); }',
    '.tq-number { position: absolute; left: 6px; top: 5px; width: 13px; height: 13px; border-radius: 7px; ' +
      'background: #fff; text-align: center; pointer-events: none; font: 700 10px/13px sans-serif; color: #1d3557; }',
    '.tq-around img { filter: hue-rotate(260deg); opacity: 0.9; }',
    '.tq-popup { font: 14px sans-serif; text-align: center; }',
    '.tq-name { font-weight: 600; margin-bottom: 6px; }',
    '.tq-show { font: 600 14px sans-serif; padding: 6px 12px; border: none; border-radius: 4px; background: #1f6fb2; color: #fff; }',
    '.tq-silence { width: 36px; height: 36px; border: none; border-radius: 4px; background: #fff; box-shadow: 0 1px 4px rgba(0,0,0,.35); padding: 8px; }'
  ].join('\n');

  // Defines the functions the application calls as globals of the page, and the map's styles.
  function install(target) {
    var style = document.createElement('style');
    style.textContent = STYLES;
    document.head.appendChild(style);
    target.next = next;
    target.poiValue = poiValue;
    target.poiAroundValue = poiAroundValue;
    target.centerMap = centerMap;
    target.currentLocation = currentLocation;
    target.removeCurrentLocation = removeCurrentLocation;
    target.panToLocation = panToLocation;
    target.mapFollowsDirection = mapFollowsDirection;
    target.deviceRotation = deviceRotation;
    target.showAround = showAround;
  }

  window.TourMap = { start: start, install: install, describe: describe, number: number };
})(window.L);
