// Prints the dc:title of every object in a Browse answer's Result, one per
// line in sorted order, as each of two npm parsers reads them (xml2js, then elementtree,
// each line prefixed with its name): SOAP body on stdin.
const xml2js = require('xml2js');
const et = require('elementtree');

const body = require('fs').readFileSync(0, 'utf8');

function find(node, name) {
  if (node === null || typeof node !== 'object') return undefined;
  for (const [key, value] of Object.entries(node)) {
    if (key === name || key.endsWith(':' + name)) return value;
    const inner = find(value, name);
    if (inner !== undefined) return inner;
  }
  return undefined;
}

(async () => {
  const envelope = await xml2js.parseStringPromise(body);
  let result = find(envelope, 'Result')[0];
  if (typeof result === 'object') result = result._;
  const didl = await xml2js.parseStringPromise(result);
  const titles = [];
  for (const kind of ['container', 'item'])
    for (const object of didl['DIDL-Lite'][kind] || []) titles.push(object['dc:title'][0]);
  for (const title of titles.sort()) console.log('xml2js ' + title);

  const tree = et.parse(body);
  const text = tree.getroot().findall('.//*').find((e) => e.tag.endsWith('Result')).text;
  const found = et.parse(text).getroot().findall('.//dc:title').map((t) => t.text);
  for (const title of found.sort()) console.log('elementtree ' + title);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
