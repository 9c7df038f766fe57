#!/usr/bin/env bash
# Draws the web map's first-use hint pictures (resources/mapHand-en.png, -fr, -es) with the headless
# browser: a map with a finger choosing a pin, and the gesture's words in each language.
# Run again after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

draw() {
  local lang=$1 tap=$2 pinch=$3 steps=$4
  cat >"$scratch/hint.html" <<PAGE
<!DOCTYPE html><html><head><meta charset="utf-8"><style>
html,body{margin:0;width:600px;height:800px;background:#fff;font:600 30px sans-serif;color:#1f3b57}
.map{position:absolute;left:40px;top:40px;width:520px;height:480px;border-radius:24px;overflow:hidden;
 background:repeating-linear-gradient(90deg,#dfe9d8 0 130px,#e6dcc6 130px 260px)}
.road{position:absolute;background:#fff;border:3px solid #c9c2b0}
.pin{position:absolute;width:44px;height:44px;border-radius:50% 50% 50% 0;transform:rotate(-45deg);background:#2a81cb}
.pin.on{background:#e8392c}
.ring{position:absolute;left:262px;top:238px;width:86px;height:86px;border-radius:50%;border:6px solid rgba(232,57,44,.55)}
.finger{position:absolute;left:290px;top:270px;width:70px;height:150px;border-radius:35px 35px 20px 20px;background:#f2c9a0;border:4px solid #b98a5e}
.text{position:absolute;left:40px;width:520px;text-align:center}
</style></head><body>
<div class="map">
 <div class="road" style="left:-10px;top:300px;width:560px;height:26px"></div>
 <div class="road" style="left:200px;top:-10px;width:26px;height:520px"></div>
 <div class="pin" style="left:120px;top:120px"></div>
 <div class="pin on" style="left:283px;top:240px"></div>
 <div class="pin" style="left:400px;top:100px"></div>
 <div class="ring"></div><div class="finger"></div>
</div>
<div class="text" style="top:560px">$tap</div>
<div class="text" style="top:640px;font-weight:400;font-size:26px">$pinch</div>
<div class="text" style="top:710px;font-weight:400;font-size:26px">$steps</div>
</body></html>
PAGE
  /usr/bin/chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --hide-scrollbars --user-data-dir="$scratch/profile" \
    --window-size=600,800 --screenshot="$PWD/resources/mapHand-$lang.png" "file://$scratch/hint.html" 2>/dev/null
}

draw en "Tap a pin to choose a point" "Pinch to zoom, drag to move" "Arrows: previous and next point"
draw fr "Touchez un repère pour choisir un point" "Pincez pour zoomer, glissez pour déplacer" "Flèches : point précédent et suivant"
draw es "Toque un marcador para elegir un punto" "Pellizque para ampliar, deslice para mover" "Flechas: punto anterior y siguiente"
