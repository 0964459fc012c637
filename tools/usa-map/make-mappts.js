#!/usr/bin/env node
// Writes src/mappts.cpp: the outline of the contiguous United States as the clock's
// USary table, from Natural Earth's 1:50m country boundaries (world-atlas on npm).
//
//   node make-mappts.js <output.cpp>
'use strict';
const fs = require('fs');
const path = require('path');

const topology = require('world-atlas/countries-50m.json');
const USA_ID = '840';

// Where the clock expects its telling points: output index and map position.
// A null coordinate is left where the projection puts it.
const ANCHORS = [
  { role: 'start', index: 0, x: -434, y: -269 },
  { role: 'olympic', index: null, x: -436, y: null },
  { role: 'north', index: 31, x: -397, y: -335 },
  { role: 'east', index: 199, x: 492, y: -267 },
  { role: 'south', index: 435, x: 5, y: 290 },
  { role: 'border', index: 436, x: 0, y: 288 },
  { role: 'west', index: 531, x: -483, y: -135 },
];
const OUTLINE_POINTS = 552;             // the last one repeats the first
const X_RANGE = [-483, 492];
const Y_RANGE = [-335, 290];
const OLYMPIC_MIN_X = -436;             // the width walk relies on it before index 436
const FIRST_ZERO_INDEX = 436;

// ---- TopoJSON ---------------------------------------------------------------------

function decodeArcs(topo) {
  const [kx, ky] = topo.transform.scale;
  const [dx, dy] = topo.transform.translate;
  return topo.arcs.map((arc) => {
    let x = 0, y = 0;
    return arc.map(([qx, qy]) => {
      x += qx; y += qy;
      return [x * kx + dx, y * ky + dy];
    });
  });
}

function ringOf(arcIndexes, arcs) {
  const ring = [];
  for (const i of arcIndexes) {
    const arc = i >= 0 ? arcs[i] : arcs[~i].slice().reverse();
    ring.push(...(ring.length ? arc.slice(1) : arc));
  }
  ring.pop();                           // the closing repeat
  return ring;
}

// The largest polygon of the USA inside the contiguous states' box.
function mainlandRing(topo) {
  const arcs = decodeArcs(topo);
  const usa = topo.objects.countries.geometries.find((g) => g.id === USA_ID);
  const rings = usa.arcs.map((polygon) => ringOf(polygon[0], arcs))
    .filter((r) => r.every(([lon, lat]) => lon > -130 && lon < -60 && lat > 20 && lat < 50));
  return rings.reduce((a, b) => (b.length > a.length ? b : a));
}

// ---- projection and fit -------------------------------------------------------------

const RAD = Math.PI / 180;

// Albers equal-area conic, in screen axes (y grows southward).
function albers(lon0, lat1, lat2) {
  const n = (Math.sin(lat1 * RAD) + Math.sin(lat2 * RAD)) / 2;
  const c = Math.cos(lat1 * RAD) ** 2 + 2 * n * Math.sin(lat1 * RAD);
  return ([lon, lat]) => {
    const rho = Math.sqrt(c - 2 * n * Math.sin(lat * RAD)) / n;
    const theta = n * (lon - lon0) * RAD;
    return [rho * Math.sin(theta), rho * Math.cos(theta)];
  };
}

function signedArea(pts) {
  let s = 0;
  pts.forEach(([x, y], i) => {
    const [u, v] = pts[(i + 1) % pts.length];
    s += x * v - u * y;
  });
  return s / 2;
}

function argBest(pts, from, to, score) {
  let best = from;
  for (let i = from; i <= to; i++) if (score(pts[i]) < score(pts[best])) best = i;
  return best;
}

// Scales the projected ring onto the clock's ranges and finds the telling points.
function fitRing(lonlat, projection) {
  let pts = lonlat.map(projection);
  if (signedArea(pts) < 0) pts.reverse();
  const xs = pts.map((p) => p[0]), ys = pts.map((p) => p[1]);
  const [x0, x1, y0, y1] = [Math.min(...xs), Math.max(...xs), Math.min(...ys), Math.max(...ys)];
  const scale = (v, a, b, lo, hi) => lo + (v - a) * (hi - lo) / (b - a);
  pts = pts.map(([x, y]) => [scale(x, x0, x1, ...X_RANGE), scale(y, y0, y1, ...Y_RANGE)]);

  // Start the ring at the westernmost point so that the walk below never wraps.
  const w = xs.indexOf(x0);
  pts = pts.slice(w).concat(pts.slice(0, w));
  const at = {};
  at.north = argBest(pts, 0, pts.length - 1, (p) => p[1]);
  at.east = argBest(pts, 0, pts.length - 1, (p) => -p[0]);
  at.south = argBest(pts, 0, pts.length - 1, (p) => -p[1]);
  if (!(at.north < at.east && at.east < at.south)) return null;
  const near = (a) => (p) => Math.hypot(p[0] - a.x, p[1] - a.y);
  at.start = argBest(pts, 0, at.north, near(ANCHORS[0]));
  at.border = argBest(pts, at.south + 1, Math.min(at.south + 60, pts.length - 1), near(ANCHORS[5]));
  at.west = 0;
  const start = at.start;
  pts = pts.slice(start).concat(pts.slice(0, start));
  for (const k of Object.keys(at)) at[k] = (at[k] - start + pts.length) % pts.length;
  at.olympic = argBest(pts, 1, at.north - 1, (p) => p[0]);
  at.end = pts.length;
  return { pts, at };
}

// How far the fitted telling points lie from where they belong.
function misfit(fit) {
  let s = 0;
  for (const a of ANCHORS) {
    const [x, y] = fit.pts[fit.at[a.role]];
    if (a.x !== null) s += (x - a.x) ** 2;
    if (a.y !== null) s += (y - a.y) ** 2;
  }
  return s;
}

function bestFit(lonlat) {
  let best = null;
  for (let lon0 = -106; lon0 <= -88; lon0 += 0.25)
    for (let lat1 = 20; lat1 <= 35; lat1 += 2.5)
      for (let lat2 = 40; lat2 <= 55; lat2 += 2.5) {
        const fit = fitRing(lonlat, albers(lon0, lat1, lat2));
        if (!fit) continue;
        const score = misfit(fit);
        if (!best || score < best.score) best = { score, fit, params: [lon0, lat1, lat2] };
      }
  return best;
}

// ---- moving the telling points home -----------------------------------------------

function arcLengths(pts) {
  const len = [0];
  for (let i = 1; i <= pts.length; i++) {
    const [a, b] = [pts[i - 1], pts[i % pts.length]];
    len.push(len[i - 1] + Math.hypot(b[0] - a[0], b[1] - a[1]));
  }
  return len;
}

// Shifts each telling point onto its target and spreads the shift along the ring.
function pinAnchors({ pts, at }) {
  const order = ANCHORS.map((a) => ({ ...a, at: at[a.role] })).sort((a, b) => a.at - b.at);
  order.push({ ...order[0], at: at.end, index: OUTLINE_POINTS - 1 });
  const len = arcLengths(pts);
  const moves = order.map((a) => {
    const [x, y] = pts[a.at % pts.length];
    return [a.x === null ? 0 : a.x - x, a.y === null ? null : a.y - y];
  });
  moves.forEach((m, k) => {                 // a free coordinate follows its neighbours
    if (m[1] !== null) return;
    const t = (len[order[k].at] - len[order[k - 1].at]) / (len[order[k + 1].at] - len[order[k - 1].at]);
    m[1] = moves[k - 1][1] + t * (moves[k + 1][1] - moves[k - 1][1]);
  });
  const out = pts.map((p) => p.slice());
  for (let k = 0; k + 1 < order.length; k++) {
    const [i, j] = [order[k].at, order[k + 1].at];
    for (let v = i; v < j; v++) {
      const t = (len[v] - len[i]) / (len[j] - len[i]);
      out[v][0] += moves[k][0] + t * (moves[k + 1][0] - moves[k][0]);
      out[v][1] += moves[k][1] + t * (moves[k + 1][1] - moves[k][1]);
    }
  }
  order.find((a) => a.role === 'olympic').index = olympicIndex(out, order);
  return { pts: out, order };
}

// ---- integer points -------------------------------------------------------------------

const clamp = (v, lo, hi) => Math.min(hi, Math.max(lo, v));

// Rounds the dense ring and keeps every point that is not a telling point strictly
// inside the extremes; before the first zero coordinate no coordinate may be zero.
function toIntegers({ pts, order }) {
  const fixed = new Map(order.map((a) => [a.at, a]));
  const firstZeroAt = order.find((a) => a.index === FIRST_ZERO_INDEX).at;
  const out = pts.map(([x, y], i) => {
    let [ix, iy] = [Math.round(x), Math.round(y)];
    const a = fixed.get(i);
    if (a) return [a.x === null ? ix : a.x, a.y === null ? iy : a.y];
    ix = clamp(ix, X_RANGE[0] + 1, X_RANGE[1] - 1);
    iy = clamp(iy, Y_RANGE[0] + 1, Y_RANGE[1] - 1);
    if (i < firstZeroAt) {
      ix = Math.max(ix, OLYMPIC_MIN_X + 1);
      if (ix === 0) ix = x < 0 ? -1 : 1;
      if (iy === 0) iy = y < 0 ? -1 : 1;
    }
    return [ix, iy];
  });
  return { pts: out, order };
}

// ---- resampling ----------------------------------------------------------------------

function triangleArea(a, b, c) {
  return Math.abs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;
}

// Whether dropping vertex k keeps the polyline free of touching edges.
function canDrop(pts, k) {
  const [a, b] = [pts[k - 1], pts[k + 1]];
  if ((k >= 2 && folds(pts[k - 2], a, b)) || (k + 2 < pts.length && folds(a, b, pts[k + 2]))) return false;
  for (let i = 0; i + 1 < pts.length; i++) {
    if (i >= k - 2 && i <= k + 1) continue;
    if (segmentsMeet(a, b, pts[i], pts[i + 1])) return false;
  }
  return true;
}

// The first place where the polyline touches itself: [first, last] vertices to cut out.
function firstTouch(pts) {
  for (let i = 0; i + 2 < pts.length; i++) {
    if (folds(pts[i], pts[i + 1], pts[i + 2])) return [i + 1, i + 1];
    for (let j = i + 2; j + 1 < pts.length; j++)
      if (segmentsMeet(pts[i], pts[i + 1], pts[j], pts[j + 1])) return [i + 1, j];
  }
  return null;
}

// Rounding pinches the narrowest inlets shut; cut each one off at its neck.
function untangle(line) {
  const pts = line.slice();
  for (let cut = firstTouch(pts); cut; cut = firstTouch(pts)) pts.splice(cut[0], cut[1] - cut[0] + 1);
  return pts;
}

// Brings an open polyline to exactly `count` points, keeping both ends: drops the
// vertex that carries the least area (Visvalingam) as long as no edges come to touch,
// or halves the longest edge.
function resample(line, count) {
  const pts = line.slice();
  while (pts.length > count) {
    const candidates = [];
    for (let i = 1; i < pts.length - 1; i++) candidates.push([triangleArea(pts[i - 1], pts[i], pts[i + 1]), i]);
    candidates.sort((p, q) => p[0] - q[0]);
    const pick = candidates.find(([, i]) => canDrop(pts, i));
    if (!pick) throw new Error('cannot thin the outline without touching edges');
    pts.splice(pick[1], 1);
  }
  while (pts.length < count) {
    let k = 0;
    const edge = (i) => Math.hypot(pts[i + 1][0] - pts[i][0], pts[i + 1][1] - pts[i][1]);
    for (let i = 1; i < pts.length - 1; i++) if (edge(i) > edge(k)) k = i;
    pts.splice(k + 1, 0, [Math.round((pts[k][0] + pts[k + 1][0]) / 2), Math.round((pts[k][1] + pts[k + 1][1]) / 2)]);
  }
  return pts;
}

// The output index of the free Olympic anchor, by its share of the way to the north point.
function olympicIndex(pts, order) {
  const len = arcLengths(pts);
  const o = order.find((a) => a.role === 'olympic');
  const n = order.find((a) => a.role === 'north');
  const share = len[o.at] / len[n.at];
  return Math.min(n.index - 1, Math.max(1, Math.round(share * n.index)));
}

function outline({ pts, order }) {
  const ring = pts.concat([pts[0]]);
  const result = [];
  for (let k = 0; k + 1 < order.length; k++) {
    const piece = resample(untangle(ring.slice(order[k].at, order[k + 1].at + 1)), order[k + 1].index - order[k].index + 1);
    result.push(...piece.slice(0, -1));
  }
  result.push(result[0]);
  return result;
}

// ---- checks ----------------------------------------------------------------------------

function side(p, q, r) {
  return Math.sign((q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0]));
}

function within(p, q, r) {               // r on the segment p-q, given it is collinear
  return Math.min(p[0], q[0]) <= r[0] && r[0] <= Math.max(p[0], q[0]) &&
         Math.min(p[1], q[1]) <= r[1] && r[1] <= Math.max(p[1], q[1]);
}

// Whether the edges a-b and b-c run back over each other (or a repeats b).
function folds(a, b, c) {
  if ((a[0] === b[0] && a[1] === b[1]) || (b[0] === c[0] && b[1] === c[1])) return true;
  return side(a, b, c) === 0 && (a[0] - b[0]) * (c[0] - b[0]) + (a[1] - b[1]) * (c[1] - b[1]) > 0;
}

// Whether two closed segments share any point, touching included.
function segmentsMeet(a, b, c, d) {
  const [s1, s2, s3, s4] = [side(a, b, c), side(a, b, d), side(c, d, a), side(c, d, b)];
  if (s1 * s2 < 0 && s3 * s4 < 0) return true;
  return (s1 === 0 && within(a, b, c)) || (s2 === 0 && within(a, b, d)) ||
         (s3 === 0 && within(c, d, a)) || (s4 === 0 && within(c, d, b));
}

function problems(pts) {
  const found = [];
  const n = pts.length - 1;
  for (let i = 0; i < n; i++) {
    if (folds(pts[i], pts[i + 1], pts[(i + 2) % n])) found.push(`fold or repeat at ${i + 1}`);
    for (let j = i + 2; j < n; j++)
      if (!(i === 0 && j === n - 1) && segmentsMeet(pts[i], pts[i + 1], pts[j], pts[j + 1]))
        found.push(`edges ${i} and ${j} touch`);
  }
  const zero = pts.findIndex(([x, y]) => x === 0 || y === 0);
  if (zero !== FIRST_ZERO_INDEX) found.push(`first zero coordinate at ${zero}`);
  if (signedArea(pts) <= 0) found.push('not clockwise');
  return found;
}

// ---- output -------------------------------------------------------------------------------

function cppTable(pts) {
  const cells = pts.concat([[0, 0]]).map(([x, y]) => `{${x}, ${y}}`);
  const lines = [];
  for (let i = 0; i < cells.length; i += 6) lines.push('    ' + cells.slice(i, i + 6).join(', ') + ',');
  return lines.join('\n');
}

function main() {
  const target = process.argv[2];
  if (!target) {
    console.error('usage: node make-mappts.js <output.cpp>');
    process.exit(2);
  }
  const best = bestFit(mainlandRing(topology));
  const pts = outline(toIntegers(pinAnchors(best.fit)));
  const found = problems(pts);
  if (found.length) {
    console.error(found.join('\n'));
    process.exit(1);
  }
  const template = fs.readFileSync(path.join(__dirname, 'mappts.cpp.in'), 'utf8');
  fs.writeFileSync(target, template.replace('@USARY_POINTS@', cppTable(pts)));
  const [lon0, lat1, lat2] = best.params;
  console.log(`Albers, central meridian ${lon0}, parallels ${lat1} and ${lat2}; ` +
              `telling points moved by ${Math.sqrt(best.score).toFixed(1)} units in all`);
}

main();
